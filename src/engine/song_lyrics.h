#pragma once
// The timed lyric texts of a song file, as bytes: the player decides how a song's texts
// are encoded, from all of them at once.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace vesk::engine {

struct LyricText {
    std::int32_t ms = 0;  // song time
    QByteArray text;
};

struct SongLyricTexts {
    // Karaoke texts mark breaks with "/" (line) and "\" (paragraph) at their start.
    bool karaoke = false;
    std::vector<LyricText> texts;
};

// Empty for a file without lyrics or one that cannot be read as a song.
SongLyricTexts readSongLyrics(const QString& file);

}  // namespace vesk::engine
