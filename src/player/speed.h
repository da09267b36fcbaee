#pragma once
// Double and half speed: the tempo written for a speed and the times shown at it.

#include <cstdint>

#include "player/player_state.h"

namespace vesk::player {

// A tempo as the 16-bit state holds it.
std::int16_t toTempo16(std::int32_t bpm);

// The tempo to write for the song's own tempo `base`: twice it, or half of it (fraction
// dropped), or itself when neither speed is on.
std::int32_t tempoForSpeed(std::int16_t base, const SpeedState& speed);

// A song time as the listener hears it at the speed: half at double speed, twice at half
// speed (kept within 32 bits).
std::int32_t timeAtSpeed(std::int32_t ms, const SpeedState& speed);

}  // namespace vesk::player
