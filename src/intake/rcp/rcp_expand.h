#pragma once
// Plays a track's events through loops and same-measure references into a flat list of
// timed MIDI events, applying the track's channel, transposition and step offset.

#include "intake/rcp/rcp_song.h"

#include <map>
#include <optional>

namespace vesk::intake::rcp {

struct OutEvent {
    quint32 tick = 0;
    quint32 sequence = 0;  // creation order: keeps file order among events at one tick
    quint8 rank = 1;       // 0 for note-offs, which go before everything else at their tick
    quint8 port = 0;       // kAnyPort for meta events
    quint8 length = 0;     // bytes used in `bytes`; 0 means the event is `blob`
    std::array<quint8, 3> bytes{};
    qint32 blob = -1;  // index into TrackOutput::blobs: F0 or FF and what follows
};

inline constexpr quint8 kAnyPort = 0xFF;

// An endless loop, in ticks of the song before any track's step offset.
struct EndlessLoop {
    quint32 start = 0;
    quint32 end = 0;
    bool operator==(const EndlessLoop&) const = default;
};

struct TrackOutput {
    int number = 0;
    QByteArray comment;
    std::vector<OutEvent> events;  // sorted by tick, rank and sequence
    std::vector<QByteArray> blobs;
    quint32 endTick = 0;
    // The track's own clock at its end, before its step offset.
    quint32 clockEnd = 0;
    // Set when the track ends in an endless loop it was asked to keep as loop points.
    std::optional<EndlessLoop> endlessLoop;
};

// Song-wide events that belong to the conductor track, one per tick; later tracks
// overwrite earlier ones at the same tick.
struct Conductor {
    std::map<quint32, quint32> tempo;  // microseconds per quarter note
    std::map<quint32, quint8> key;     // Recomposer key code
    // The song's loop, written as loopStart and loopEnd markers.
    std::optional<EndlessLoop> loop;
};

// Work done so far for the whole song, checked against RcpLimits.
struct Budget {
    quint64 visited = 0;
    quint64 events = 0;
    quint64 bytes = 0;
};

quint32 tempoMicroseconds(quint64 bpmTimes64);

// Builds an exclusive message (without the leading F0, ending with F7) from a Recomposer
// template. Returns an empty array when the template defines nothing or cannot be filled.
QByteArray buildExclusive(const QByteArray& templateBytes, int p1, int p2, int channel);

// How an endless loop (count 0) is played out.
enum class EndlessLoops {
    Twice,       // its body twice, then on
    LoopPoints,  // an outermost one: its body once, recorded in the output; the track ends
};

bool expandTrack(const RcpSong& song, const RawTrack& track, Conductor& conductor, Budget& budget,
                 TrackOutput& out, Failure& failure, EndlessLoops endless = EndlessLoops::Twice);

}  // namespace vesk::intake::rcp
