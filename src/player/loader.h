#pragma once
// Texts of the file-information window for a loaded song.

#include <QString>
#include <cstdint>

#include "intake/song_entry.h"
#include "player/player_view.h"

namespace vesk::player {

FileInfoTexts fileInfoTexts(const intake::SongEntry& entry, const QString& copyright,
                            std::int16_t division, std::int16_t format, std::int16_t tracks);

}  // namespace vesk::player
