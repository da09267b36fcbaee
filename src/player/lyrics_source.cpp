#include "engine/song_lyrics.h"
#include "player/player.h"

namespace vesk::player {

const LyricSheet& Player::lyricSheet() {
    if (sheetGeneration_ != songGeneration_) {
        sheetGeneration_ = songGeneration_;
        sheet_ = engine_.fileName().isEmpty()
                     ? LyricSheet{}
                     : buildLyricSheet(engine::readSongLyrics(engine_.fileName()));
    }
    return sheet_;
}

}  // namespace vesk::player
