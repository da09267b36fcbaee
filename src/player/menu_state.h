#pragma once
// The repeat indicator's texts for a repeat mode.

#include <cstdint>

#include "player/player_view.h"

namespace vesk::player {

// Mode 0 shows "NO REPEAT" without the image, 1 shows "1", 2 nothing but the image, 3
// "SHUFF". A mode outside 0..3 is taken as 0.
RepeatIndicator repeatIndicator(std::int16_t mode);

// The repeat mode a command applies: `index` when it is 0..3, otherwise 0 (none).
std::int16_t validRepeatMode(std::int16_t index);

// The transposition as the main window shows it: "+3", "-5", nothing at 0.
QString transposeMark(int semitones);

}  // namespace vesk::player
