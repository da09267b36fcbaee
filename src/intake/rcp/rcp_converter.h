#pragma once
// Recomposer song files (RCP/R36 version 2, G18/G36 version 3) turned into format 1
// Standard MIDI Files. Bytes in, bytes out: no files are touched here.

#include <QByteArray>
#include <QString>

namespace vesk::intake {

enum class RcpError {
    None,
    TooLarge,           // input or expanded song beyond the caps below
    Truncated,          // the file ends inside the header or inside a track
    BadSignature,       // not a Recomposer song at all
    UnsupportedFormat,  // a related format (Recomposer 1.x, STed variant, control file)
    BadHeader,          // impossible header values (time base 0, track count)
    BadReference,       // a same-measure reference that points nowhere or forms a cycle
    BadLoop,            // loops nested deeper than the cap
};

struct RcpResult {
    RcpError error = RcpError::None;
    QString message;  // empty on success
    QByteArray smf;   // empty on failure
    bool ok() const { return error == RcpError::None; }
};

// Caps that keep hostile files within bounded time and memory. Hitting one fails the
// conversion with RcpError::TooLarge (or BadLoop for the nesting depth).
struct RcpLimits {
    static constexpr qint64 kMaxInputBytes = 4 * 1024 * 1024;
    // Events visited while expanding loops and same-measure references, whole song.
    static constexpr quint64 kMaxVisitedEvents = 8'000'000;
    static constexpr quint64 kMaxOutputEvents = 1'000'000;
    static constexpr quint64 kMaxOutputBytes = 64 * 1024 * 1024;
    // The largest delta time an SMF variable-length number can hold.
    static constexpr quint64 kMaxTick = 0x0FFFFFFF;
    static constexpr int kMaxLoopDepth = 16;
    static constexpr int kMaxReferenceChain = 100;
};

RcpResult convertRcpToSmf(const QByteArray& rcp);

struct RcpConverterVersion {
    int major = 0;
    int minor = 0;
    QString credit;
};

RcpConverterVersion rcpConverterVersion();

}  // namespace vesk::intake
