#include "sequencer/lyric_events.h"

namespace vesk::sequencer {

namespace {

constexpr std::uint8_t kTextMeta = 0x01;
constexpr std::uint8_t kLyricMeta = 0x05;

bool isKaraokeHeader(std::span<const std::uint8_t> text) {
    return !text.empty() && text[0] == '@';
}

}  // namespace

SongLyricEvents extractLyrics(const Song& song) {
    SongLyricEvents lyrics;
    bool karaoke = false;
    std::vector<LyricEvent> karaokeTexts;
    for (const SongEvent& e : song.events) {
        if (!e.isMeta() || (e.data1 != kLyricMeta && e.data1 != kTextMeta)) {
            continue;
        }
        const auto text = song.blobBytes(e);
        if (e.data1 == kLyricMeta) {
            lyrics.events.push_back({song.tempo.nsAt(e.tick), {text.begin(), text.end()}});
        } else if (isKaraokeHeader(text)) {
            karaoke = true;
        } else if (karaoke) {
            karaokeTexts.push_back({song.tempo.nsAt(e.tick), {text.begin(), text.end()}});
        }
    }
    if (!lyrics.events.empty()) {
        lyrics.source = LyricSource::LyricEvents;
    } else if (!karaokeTexts.empty()) {
        lyrics.source = LyricSource::KaraokeText;
        lyrics.events = std::move(karaokeTexts);
    }
    return lyrics;
}

}  // namespace vesk::sequencer
