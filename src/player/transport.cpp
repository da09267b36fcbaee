#include "player/play_order.h"
#include "player/player.h"

namespace vesk::player {
namespace {

bool isShuffle(std::int16_t repeatMode) {
    return repeatMode == static_cast<std::int16_t>(RepeatModes::Shuffle);
}

}  // namespace

void Player::transportPlay() {
    setStatus(QStringLiteral("PLAY"));
    setCanPause(true);
    setTrayMenu(false, true, true, true);
    const QString status = engine_.status();
    if (status == QLatin1String("paused")) {
        state_.playRequested = true;
        engine_.midiPlay();
    } else if (status != QLatin1String("playing")) {
        // With no current song (it was deleted) PLAY starts from the top of the list.
        const std::int16_t current = state_.currentEntry;
        playEntry(current >= 0 && current <= state_.listLast() ? current : 0);
    }
}

void Player::transportPause() {
    setStatus(QStringLiteral("PAUSE"));
    engine_.midiPause();
    state_.playRequested = false;
    setCanPause(false);
    setTrayMenu(true, false, tray_.stopEnabled, tray_.prevEnabled);
}

void Player::transportStop() {
    state_.playRequested = false;
    rewindDisplay();
    setStatus(QStringLiteral("STOP"));
    engine_.midiStop();
    setTrayMenu(true, false, tray_.stopEnabled, false);
}

void Player::transportPrev() {
    const QString remembered = main_.statusText;
    if (inMain()) {
        setStatus(QStringLiteral("PREV"));
        interaction_.processEvents();
    }
    switch (engine_.lastCommand()) {
        case engine::kSessionPlaying:
            engine_.setNowPos(0);
            notifySeeked(0);
            break;
        case engine::kSessionPaused:
            engine_.midiStop();
            break;
        default:
            break;
    }
    setStatus(remembered);
}

bool Player::moveTo(std::int16_t index) {
    state_.currentEntry = index;
    const bool loaded = playEntry(index);
    if (inMain()) {
        view().selectLine(state_.currentEntry);
    }
    if (state_.playRequested) {
        setTrayMenu(false, true, true, true);
    }
    return loaded;
}

void Player::transportNext() {
    const QString remembered = main_.statusText;
    setStatus(QStringLiteral("NEXT"));
    const std::int16_t last = state_.listLast();
    const bool shuffle = isShuffle(settings_.repeat);
    const std::int16_t index = shuffle ? entryAtPosition(nextPosition(state_.playOrderPos, last),
                                                         true, state_.shuffleOrder)
                                       : nextIndex(state_.currentEntry, last);
    // A song that was loaded writes its own word (PLAY, or STOP when it cannot play);
    // the paused or stopped word of the song left behind must not stay.
    if (!moveTo(index)) {
        setStatus(remembered);
    }
}

void Player::transportBack() {
    const QString remembered = main_.statusText;
    setStatus(QStringLiteral("BACK"));
    const std::int16_t last = state_.listLast();
    const bool shuffle = isShuffle(settings_.repeat);
    const std::int16_t index = shuffle
                                   ? entryAtPosition(previousPosition(state_.playOrderPos, last),
                                                     true, state_.shuffleOrder)
                                   : backIndex(state_.currentEntry, last);
    if (!moveTo(index)) {
        setStatus(remembered);
    }
}

bool Player::isPlaying() {
    return engine_.status() == QLatin1String("playing");
}

bool Player::isIdle() {
    const QString status = engine_.status();
    return status.isEmpty() || status == QLatin1String("stopped");
}

bool Player::sessionOpen() const {
    return engine_.lastCommand() != engine::kSessionClosed;
}

void Player::closeSession() {
    engine_.midiClose();
}

std::int32_t Player::songLength() const {
    return engine_.playTime();
}

void Player::seekTo(std::int32_t position) {
    engine_.setNowPos(position);
    notifySeeked(position);
}

std::int32_t Player::position() {
    return engine_.nowPos();
}

Playback Player::playback() {
    const QString status = engine_.status();
    // Between two songs of a list the sequencer stops for a moment; the player plays on.
    if (status == QLatin1String("playing") ||
        (state_.playRequested && status == QLatin1String("stopped"))) {
        return Playback::Playing;
    }
    if (status == QLatin1String("paused")) {
        return Playback::Paused;
    }
    return Playback::Stopped;
}

QString Player::songTitle() const {
    return engine_.title();
}

void Player::takeCommandLine(const QString& line, bool playNew) {
    const bool wasPlaying = isPlaying();
    const std::int16_t last = state_.listLast();
    view().openCommandLine(line);
    // The main window lists new entries itself; the tray lists them when it gives way.
    if (playNew && !wasPlaying && state_.listLast() > last) {
        moveTo(static_cast<std::int16_t>(last + 1));
    }
    notifyObservers();
}

}  // namespace vesk::player
