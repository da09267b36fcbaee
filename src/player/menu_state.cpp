#include "player/menu_state.h"

#include <algorithm>

#include "intake/path_text.h"
#include "player/play_order.h"
#include "player/player.h"
#include "player/speed.h"

namespace vesk::player {

std::int16_t validRepeatMode(std::int16_t index) {
    return index >= 0 && index <= 3 ? index : std::int16_t{0};
}

RepeatIndicator repeatIndicator(std::int16_t mode) {
    RepeatIndicator indicator;
    switch (validRepeatMode(mode)) {
        case 1:
            indicator.repeat = QStringLiteral("1");
            break;
        case 3:
            indicator.repeat = QStringLiteral("SHUFF");
            break;
        case 0:
            indicator.noRepeat = QStringLiteral("NO REPEAT");
            break;
        default:
            break;
    }
    indicator.imageVisible = validRepeatMode(mode) != 0;
    return indicator;
}

void Player::repeatCommand(std::int16_t index) {
    const std::int16_t mode = validRepeatMode(index);
    settings_.repeat = mode;
    if (mode == static_cast<std::int16_t>(RepeatModes::Shuffle)) {
        rebuildShuffleOrder();
    }
    applyLoops();
    view().showRepeat(mode, repeatIndicator(mode));
    changed();
}

void Player::rebuildShuffleOrder() {
    const std::int16_t last = state_.listLast();
    if (last >= 0) {
        state_.shuffleOrder = buildShuffleOrder(last, random_);
    }
}

void Player::changeSpeed(bool toDouble) {
    if (!inMain()) {
        return;
    }
    SpeedState& s = main_.speed;
    // From normal speed the engine plays the song's own tempo; from a speed, BaseTempo.
    const bool wasScaled = s.doubleSpeed || s.halfSpeed;
    if (toDouble) {
        s.doubleSpeed = !s.doubleSpeed;
        s.halfSpeed = false;
    } else {
        s.halfSpeed = !s.halfSpeed;
        s.doubleSpeed = false;
    }
    if (wasScaled && s.baseTempo > 0) {
        engine_.setBpm(s.baseTempo);
    }
    if (s.doubleSpeed || s.halfSpeed) {
        applySpeed(s);
    }
    setTotal(intake::formatTime(timeAtSpeed(engine_.playTime(), s)));
    changed();
}

void Player::doubleSpeedCommand() {
    changeSpeed(true);
}

void Player::halfSpeedCommand() {
    changeSpeed(false);
}

QString transposeMark(int semitones) {
    if (semitones == 0) {
        return {};
    }
    return (semitones > 0 ? QStringLiteral("+") : QString()) + QString::number(semitones);
}

void Player::transposeCommand(int step) {
    const int semitones = std::clamp(settings_.transpose + step, -12, 12);
    settings_.transpose = static_cast<std::int16_t>(semitones);
    engine_.setTranspose(semitones);
    view().showTranspose(semitones);
    view().stateChanged();
}

void Player::resetTransposeCommand() {
    transposeCommand(-settings_.transpose);
}

void Player::chooseDevice(const QString& choice, int slot) {
    config::applyDeviceChoice(settings_, choice);
    state_.choice.autoChosen = slot < 0;
    state_.choice.deviceAChosen = slot == 0;
    state_.choice.deviceBChosen = slot == 1;
    if (slot < 0) {
        slot = chooseDeviceSlot();
    }
    if (engine_.status() == QLatin1String("playing")) {
        engine_.setDevice(settings_.deviceSlots[static_cast<std::size_t>(slot)].device);
    }
    state_.slotInUse = slot;
    setDeviceShown(slot);
    changed();
}

void Player::deviceACommand() {
    chooseDevice(QStringLiteral("A"), 0);
}

void Player::deviceBCommand() {
    chooseDevice(QStringLiteral("B"), 1);
}

void Player::autoDeviceCommand() {
    chooseDevice(QStringLiteral("Auto"), -1);
}

void Player::scrollCommand() {
    main_.scroll = !main_.scroll;
    changed();
}

}  // namespace vesk::player
