#pragma once
// When a song's marked loop is played: the passes the engine is given for the settings and
// the repeat mode in force.

#include <cstdint>

#include "config/settings.h"

namespace vesk::player {

inline constexpr int kMaxLoopChoice = 8;

// The passes in force: the chosen count when loops apply to every song or one song
// repeats, otherwise 0 (songs play as written).
std::int32_t loopPassesInForce(const config::Settings& settings);

// The count after `passes` when cycling through the choices: 0, 1, ... 8, 0.
int nextLoopChoice(int passes);

}  // namespace vesk::player
