#pragma once
// The sung words of a song with their times. Songs carry them in one of two ways: lyric
// meta events, or (karaoke files) text events after "@" header texts, where a text starting
// with "/" begins a new line and one starting with "\" a new paragraph. Lyric events win
// when a song has both. The texts stay bytes: their encoding is decided per song above.

#include <cstdint>
#include <vector>

#include "sequencer/song.h"

namespace vesk::sequencer {

enum class LyricSource { None, LyricEvents, KaraokeText };

struct LyricEvent {
    std::int64_t ns = 0;  // song time
    std::vector<std::uint8_t> text;
};

struct SongLyricEvents {
    LyricSource source = LyricSource::None;
    std::vector<LyricEvent> events;
};

SongLyricEvents extractLyrics(const Song& song);

}  // namespace vesk::sequencer
