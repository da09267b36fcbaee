#pragma once
// Hand-assembled Recomposer songs for the tests, written field by field from the file
// layout (header, track blocks, events) without any help from the converter.

#include <QByteArray>

#include <array>
#include <vector>

namespace vesk::test::rcp {

// One event as the layout stores it: p0 is the step, p1 the gate or first parameter,
// p2 the velocity or second parameter. `raw`, when set, replaces the bytes after the code
// (2 bytes p1 p2 in version 2, 5 bytes in version 3) for text and template chunks.
struct Ev {
    int code = 0;
    int p0 = 0;
    int p1 = 0;
    int p2 = 0;
    QByteArray raw;
};

inline Ev note(int key, int step, int gate, int velocity) {
    return {key, step, gate, velocity, {}};
}
inline Ev cmd(int code, int step = 0, int p1 = 0, int p2 = 0) {
    return {code, step, p1, p2, {}};
}

struct TrackPlan {
    int channel = 0;
    int keyPlus = 0;
    int stepPlus = 0;
    int mode = 0;
    QByteArray comment;
    std::vector<Ev> events;
    bool endMark = true;  // append the FE event
    long sizeField = -1;  // -1 writes the true size
};

struct SongPlan {
    bool version3 = false;
    QByteArray title = "Test";
    std::vector<QByteArray> memo;
    int timeBase = 48;
    int tempo = 120;
    int numerator = 4;
    int denominator = 4;
    int key = 0;
    int playBias = 0;
    int trackCount = 18;                      // the header field; version 2 also allows 0
    std::array<QByteArray, 8> userExclusive;  // templates; unset entries are all F7
    std::vector<TrackPlan> tracks;
    bool padTracks = true;  // add empty tracks up to the track count
};

QByteArray buildSong(const SongPlan& song);

// A first event carrying `bytes` in its own chunk (F6 comments) or not (98, 99), followed
// by F7 continuations with the rest.
std::vector<Ev> withContinuation(bool version3, Ev first, bool firstCarries,
                                 const QByteArray& bytes);

// A same-measure reference to the event at `index` (0 = first event of the track).
Ev sameMeasure(bool version3, int index, int measure = 0);

// Appends `more` to `events`.
void append(std::vector<Ev>& events, const std::vector<Ev>& more);

}  // namespace vesk::test::rcp
