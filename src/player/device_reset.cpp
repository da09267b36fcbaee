#include "player/device_choice.h"
#include "player/player.h"

namespace vesk::player {

int Player::chooseDeviceSlot() {
    const std::int16_t current = state_.currentEntry;
    const QString title = current >= 0 && current <= state_.listLast()
                              ? state_.playList[static_cast<std::size_t>(current)].title
                              : QString();
    return player::chooseDeviceSlot(state_.choice, title, state_.documentPath,
                                    settings_.deviceSlots[1].keywords);
}

int Player::resetDevice() {
    state_.playRequested = false;
    rewindDisplay();
    const QString remembered = main_.titleText;
    setTitle(QStringLiteral("Now Resetting..."));

    const int slot = chooseDeviceSlot();
    const config::DeviceSlot& chosen = settings_.deviceSlots[static_cast<std::size_t>(slot)];
    refusedDevice_.reset();
    constexpr qsizetype kPlaceholderLength = 4;
    if (chosen.resetCode.size() > kPlaceholderLength) {
        // The reset goes to the device that will play the song.
        if (engine_.device() != chosen.device) {
            engine_.setDevice(chosen.device);
            if (engine_.device() != chosen.device) {
                refusedDevice_ = chosen.device;
            }
            // Pointing a closed engine at a device opens a session; the reset needs the
            // device to itself.
            if (engine_.lastCommand() == engine::kSessionClosed) {
                engine_.midiClose();
            }
        }
        engine_.sendEx(chosen.resetCode);
    }
    setTitle(remembered);
    return slot;
}

}  // namespace vesk::player
