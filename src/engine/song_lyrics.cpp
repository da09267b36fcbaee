#include "engine/song_lyrics.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <span>

#include "sequencer/lyric_events.h"
#include "sequencer/sequencer_backend.h"
#include "sequencer/smf_reader.h"

namespace vesk::engine {

SongLyricTexts readSongLyrics(const QString& file) {
    SongLyricTexts lyrics;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || in.size() > sequencer::kMaxFileBytes) {
        return lyrics;
    }
    const QByteArray bytes = in.readAll();
    sequencer::Song song;
    const auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size()));
    if (sequencer::readSmf(data, song) != sequencer::SequencerError::None) {
        return lyrics;
    }
    const sequencer::SongLyricEvents events = sequencer::extractLyrics(song);
    lyrics.karaoke = events.source == sequencer::LyricSource::KaraokeText;
    lyrics.texts.reserve(events.events.size());
    for (const sequencer::LyricEvent& e : events.events) {
        lyrics.texts.push_back(
            {static_cast<std::int32_t>(std::min<std::int64_t>(e.ns / 1'000'000, INT32_MAX)),
             QByteArray(reinterpret_cast<const char*>(e.text.data()),
                        static_cast<qsizetype>(e.text.size()))});
    }
    return lyrics;
}

}  // namespace vesk::engine
