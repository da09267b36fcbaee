#pragma once
// The lyrics of a song as the lyrics window shows them: lines of timed syllables, and which
// syllable playback has reached at a song time. Pure functions, no window.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "engine/song_lyrics.h"

namespace vesk::player {

struct LyricSyllable {
    std::int32_t ms = 0;
    QString text;
};

struct LyricLine {
    std::vector<LyricSyllable> syllables;
    bool startsParagraph = false;
};

struct LyricSheet {
    std::vector<LyricLine> lines;
    bool empty() const { return lines.empty(); }
};

// Lines break at a karaoke text starting with "/" (a new line) or "\" (a new paragraph),
// and in any lyric text at a carriage return or line feed.
LyricSheet buildLyricSheet(const engine::SongLyricTexts& lyrics);

struct LyricPlace {
    int line = 0;  // the line being sung, or about to be
    int sung = 0;  // how many of its syllables playback has reached
    bool operator==(const LyricPlace&) const = default;
};

// Where playback stands at song time `ms`: the syllable reached is the last one whose time
// has come. Before the first syllable, the first line with none sung.
LyricPlace lyricPlaceAt(const LyricSheet& sheet, std::int32_t ms);

}  // namespace vesk::player
