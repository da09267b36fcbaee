#pragma once
// The texts of the song list: numbered lines, shortened titles and the window caption.

#include <QString>
#include <cstdint>

#include "intake/song_entry.h"

namespace vesk::player {

// Indices are 16-bit, so the list holds at most this many entries.
inline constexpr int kMaxEntries = 32767;

// Titles longer than this many CP932 bytes are shortened.
inline constexpr int kShortTitleBytes = 56;

// The title as a list line shows it: at most 56 CP932 bytes, a longer one cut with ".."
// or "..." so that no double-byte character is split.
QString shortTitle(const QString& title);

// The entry's title, or its file name without the extension when it has none.
QString shownTitle(const intake::SongEntry& entry);

// "001：Title" for entry 0; three digits up to entry 999, then as many as needed.
QString listLine(std::int16_t index, const QString& title);

// "[003/012] Song - VESK MIDI PLAYER", or the application title alone when
// `currentEntry` names no entry of a list ending at `listLast`.
QString songCaption(std::int16_t currentEntry, std::int16_t listLast, const QString& title,
                    const QString& appTitle);

}  // namespace vesk::player
