#include "player/play_order.h"
#include "player/player.h"

namespace vesk::player {
namespace {

bool isShuffle(std::int16_t repeatMode) {
    return repeatMode == static_cast<std::int16_t>(RepeatModes::Shuffle);
}

}  // namespace

void Player::TransportPlay() {
    setStatus(QStringLiteral("PLAY"));
    setCanPause(true);
    const QString status = engine_.Status();
    if (status == QLatin1String("paused")) {
        state_.PlayRequested = true;
        engine_.MidiPlay();
    } else if (status != QLatin1String("playing")) {
        // With no current song (it was deleted) PLAY starts from the top of the list.
        const std::int16_t current = state_.CurrentEntry;
        PlayEntry(current >= 0 && current <= state_.ListLast() ? current : 0);
    }
    setTrayMenu(false, true, true, true);
}

void Player::TransportPause() {
    setStatus(QStringLiteral("PAUSE"));
    engine_.MidiPause();
    state_.PlayRequested = false;
    setCanPause(false);
    setTrayMenu(true, false, tray_.StopEnabled, tray_.PrevEnabled);
}

void Player::TransportStop() {
    state_.PlayRequested = false;
    rewindDisplay();
    setStatus(QStringLiteral("STOP"));
    engine_.MidiStop();
    setTrayMenu(true, false, tray_.StopEnabled, false);
}

void Player::TransportPrev() {
    const QString remembered = main_.StatusText;
    if (inMain()) {
        setStatus(QStringLiteral("PREV"));
        interaction_.processEvents();
    }
    switch (engine_.LastCommand()) {
        case engine::kSessionPlaying:
            engine_.setNowPos(0);
            break;
        case engine::kSessionPaused:
            engine_.MidiStop();
            break;
        default:
            break;
    }
    setStatus(remembered);
}

void Player::moveTo(std::int16_t index) {
    state_.CurrentEntry = index;
    PlayEntry(index);
    if (inMain()) {
        view().selectLine(state_.CurrentEntry);
    }
    setTrayMenu(false, true, true, true);
}

void Player::TransportNext() {
    const QString remembered = main_.StatusText;
    setStatus(QStringLiteral("NEXT"));
    const std::int16_t last = state_.ListLast();
    const bool shuffle = isShuffle(settings_.Repeat);
    const std::int16_t index = shuffle ? entryAtPosition(nextPosition(state_.PlayOrderPos, last),
                                                         true, state_.ShuffleOrder)
                                       : nextIndex(state_.CurrentEntry, last);
    moveTo(index);
    setStatus(remembered);
}

void Player::TransportBack() {
    const QString remembered = main_.StatusText;
    setStatus(QStringLiteral("BACK"));
    const std::int16_t last = state_.ListLast();
    const bool shuffle = isShuffle(settings_.Repeat);
    const std::int16_t index = shuffle
                                   ? entryAtPosition(previousPosition(state_.PlayOrderPos, last),
                                                     true, state_.ShuffleOrder)
                                   : backIndex(state_.CurrentEntry, last);
    moveTo(index);
    setStatus(remembered);
}

bool Player::isPlaying() {
    return engine_.Status() == QLatin1String("playing");
}

bool Player::isIdle() {
    const QString status = engine_.Status();
    return status.isEmpty() || status == QLatin1String("stopped");
}

bool Player::sessionOpen() const {
    return engine_.LastCommand() != engine::kSessionClosed;
}

void Player::closeSession() {
    engine_.MidiClose();
}

std::int32_t Player::songLength() const {
    return engine_.PlayTime();
}

void Player::seekTo(std::int32_t position) {
    engine_.setNowPos(position);
}

}  // namespace vesk::player
