#include "player/loop_choice.h"

#include <algorithm>

#include "engine/engine.h"
#include "intake/path_text.h"
#include "player/player.h"
#include "player/speed.h"

namespace vesk::player {

std::int32_t loopPassesInForce(const config::Settings& settings) {
    const bool repeatsOne = settings.repeat == static_cast<std::int16_t>(RepeatModes::Single);
    if (!settings.loopAlways && !repeatsOne) {
        return 0;
    }
    return std::clamp<std::int32_t>(settings.loops, 0, kMaxLoopChoice);
}

int nextLoopChoice(int passes) {
    return passes >= kMaxLoopChoice || passes < 0 ? 0 : passes + 1;
}

void Player::applyLoops() {
    const std::int32_t before = engine_.playTime();
    engine_.setLoops(loopPassesInForce(settings_));
    if (engine_.lastCommand() != engine::kSessionClosed && engine_.playTime() != before) {
        setTotal(intake::formatTime(timeAtSpeed(engine_.playTime(), speed())));
    }
}

void Player::loopsCommand(int passes) {
    settings_.loops = static_cast<std::int16_t>(std::clamp(passes, 0, kMaxLoopChoice));
    applyLoops();
    changed();
}

void Player::nextLoopsCommand() {
    loopsCommand(nextLoopChoice(settings_.loops));
}

void Player::loopAlwaysCommand() {
    settings_.loopAlways = !settings_.loopAlways;
    applyLoops();
    changed();
}

}  // namespace vesk::player
