#include "player/menu_state.h"

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
            indicator.Rep = QStringLiteral("1");
            break;
        case 3:
            indicator.Rep = QStringLiteral("SHUFF");
            break;
        case 0:
            indicator.NoRep = QStringLiteral("NO REPEAT");
            break;
        default:
            break;
    }
    indicator.ImageVisible = validRepeatMode(mode) != 0;
    return indicator;
}

void Player::repeatCommand(std::int16_t index) {
    const std::int16_t mode = validRepeatMode(index);
    settings_.Repeat = mode;
    if (mode == static_cast<std::int16_t>(RepeatModes::Shuffle)) {
        rebuildShuffleOrder();
    }
    view().showRepeat(mode, repeatIndicator(mode));
    view().stateChanged();
}

void Player::rebuildShuffleOrder() {
    const std::int16_t last = state_.ListLast();
    if (last >= 0) {
        state_.ShuffleOrder = buildShuffleOrder(last, random_);
    }
}

void Player::changeSpeed(bool toDouble) {
    if (!inMain()) {
        return;
    }
    SpeedState& s = main_.Speed;
    // From normal speed the engine plays the song's own tempo; from a speed, BaseTempo.
    const bool wasScaled = s.Double || s.Half;
    if (toDouble) {
        s.Double = !s.Double;
        s.Half = false;
    } else {
        s.Half = !s.Half;
        s.Double = false;
    }
    if (wasScaled && s.BaseTempo > 0) {
        engine_.setBpm(s.BaseTempo);
    }
    if (s.Double || s.Half) {
        applySpeed(s);
    }
    setTotal(intake::FormatTime(timeAtSpeed(engine_.PlayTime(), s)));
    view().stateChanged();
}

void Player::doubleSpeedCommand() {
    changeSpeed(true);
}

void Player::halfSpeedCommand() {
    changeSpeed(false);
}

void Player::chooseDevice(const QString& choice, int slot) {
    app::applyDeviceChoice(settings_, choice);
    state_.Choice.AutoChosen = slot < 0;
    state_.Choice.DeviceAChosen = slot == 0;
    state_.Choice.DeviceBChosen = slot == 1;
    if (slot < 0) {
        slot = ChooseDeviceSlot();
    }
    if (engine_.Status() == QLatin1String("playing")) {
        engine_.setDevice(settings_.Slot[static_cast<std::size_t>(slot)].Device);
    }
    state_.SlotInUse = slot;
    setDeviceShown(slot);
    view().stateChanged();
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
    main_.Scroll = !main_.Scroll;
    view().stateChanged();
}

}  // namespace vesk::player
