#include "player/device_choice.h"
#include "player/player.h"

namespace vesk::player {

int Player::ChooseDeviceSlot() {
    const std::int16_t current = state_.CurrentEntry;
    const QString title = current >= 0 && current <= state_.ListLast()
                              ? state_.PlayList[static_cast<std::size_t>(current)].Title
                              : QString();
    return chooseDeviceSlot(state_.Choice, title, state_.DocumentPath, settings_.Slot[1].Key);
}

int Player::ResetDevice() {
    state_.PlayRequested = false;
    rewindDisplay();
    const QString remembered = main_.TitleText;
    setTitle(QStringLiteral("Now Resetting..."));

    const int slot = ChooseDeviceSlot();
    const app::DeviceSlot& chosen = settings_.Slot[static_cast<std::size_t>(slot)];
    refusedDevice_.reset();
    constexpr qsizetype kPlaceholderLength = 4;
    if (chosen.ResetCode.size() > kPlaceholderLength) {
        // The reset goes to the device that will play the song.
        if (engine_.Device() != chosen.Device) {
            engine_.setDevice(chosen.Device);
            if (engine_.Device() != chosen.Device) {
                refusedDevice_ = chosen.Device;
            }
            // Pointing a closed engine at a device opens a session; the reset needs the
            // device to itself.
            if (engine_.LastCommand() == engine::kSessionClosed) {
                engine_.MidiClose();
            }
        }
        engine_.SendEx(chosen.ResetCode);
    }
    setTitle(remembered);
    return slot;
}

}  // namespace vesk::player
