#include "player/speed.h"

#include <algorithm>
#include <limits>

namespace vesk::player {

std::int16_t toTempo16(std::int32_t bpm) {
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(
        bpm, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

std::int32_t tempoForSpeed(std::int16_t base, const SpeedState& speed) {
    if (speed.doubleSpeed) {
        return std::int32_t{base} * 2;
    }
    if (speed.halfSpeed) {
        return base / 2;
    }
    return base;
}

std::int32_t timeAtSpeed(std::int32_t ms, const SpeedState& speed) {
    if (speed.doubleSpeed) {
        return ms / 2;
    }
    if (speed.halfSpeed) {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{ms} * 2, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()));
    }
    return ms;
}

}  // namespace vesk::player
