#pragma once
// The raw content of a Recomposer song: header fields and each track's undecoded
// event list, read with every offset checked against the file size.

#include "intake/rcp/rcp_converter.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace vesk::intake::rcp {

enum class Layout { Version2, Version3 };

struct Failure {
    RcpError error = RcpError::None;
    QString message;
};

// One event in the common form of both layouts.
struct RawEvent {
    quint8 code = 0;
    quint16 step = 0;  // p0
    quint16 gate = 0;  // p1
    quint8 value = 0;  // p2
    quint8 dataLength = 0;
    // The bytes an F6 comment or F7 continuation carries: p1 p2 (version 2) or the five
    // bytes after the code (version 3).
    std::array<quint8, 5> data{};
};

struct RawTrack {
    int number = 0;  // position in the file, from 1
    // Byte offset of the first event from the start of the block, and bytes per
    // event: same-measure references are byte offsets from the block start.
    int eventBase = 0;
    quint8 channel = 0xFF;
    quint8 keyPlus = 0;
    quint8 stepPlus = 0;
    bool muted = false;
    QByteArray comment;
    std::vector<RawEvent> events;
};

struct UserExclusive {
    QByteArray name;
    QByteArray body;  // the template, without F0
};

struct RcpSong {
    Layout layout = Layout::Version2;
    QByteArray title;
    std::vector<QByteArray> memo;
    int timeBase = 48;
    int tempo = 120;  // quarter notes per minute
    int timeSignatureNumerator = 4;
    int timeSignatureDenominator = 4;
    quint8 keyCode = 0;
    int playBias = 0;
    int trackCount = 18;
    bool stepPlusSigned = true;
    std::array<UserExclusive, 8> userExclusive;
    std::vector<RawTrack> tracks;
};

// Trailing spaces and NULs of a fixed-width text field removed; inner bytes untouched.
QByteArray trimField(QByteArray field);

// Reads `bytes` into `song`; on failure fills `failure` and returns false.
bool parseRcp(const QByteArray& bytes, RcpSong& song, Failure& failure);

}  // namespace vesk::intake::rcp
