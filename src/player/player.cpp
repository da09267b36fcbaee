#include "player/player.h"

#include <algorithm>
#include <utility>

#include "intake/path_text.h"
#include "player/menu_state.h"
#include "player/player_log.h"

Q_LOGGING_CATEGORY(lcPlayer, "vesk.player")

namespace vesk::player {

Player::Player(engine::Engine& engine, config::Settings& settings,
               const config::ModuleState& module, platform::UserInteraction& interaction,
               RandomSource& random, PlayerServices services)
    : engine_(engine),
      settings_(settings),
      module_(module),
      interaction_(interaction),
      random_(random),
      services_(std::move(services)) {
    engine_.setTranspose(settings_.transpose);
    applyLoops();
}

void Player::attachView(PlayerView& view, WindowMode mode) {
    view_ = &view;
    mode_ = mode;
    // The end-of-song wait is counted by the window that shows it: a main window that
    // (re)opens starts it from zero, so the advance never comes a tick early.
    if (mode == WindowMode::Main) {
        state_.stoppedTime = 0;
    }
}

void Player::addObserver(PlayerObserver& observer) {
    observers_.push_back(&observer);
}

void Player::removeObserver(PlayerObserver& observer) {
    std::erase(observers_, &observer);
}

void Player::changed() {
    view().stateChanged();
    notifyObservers();
}

void Player::notifyObservers() {
    // Copied: an observer may remove itself while it is told.
    const std::vector<PlayerObserver*> observers = observers_;
    for (PlayerObserver* observer : observers) {
        observer->playerChanged();
    }
}

void Player::notifySeeked(std::int32_t position) {
    const std::vector<PlayerObserver*> observers = observers_;
    for (PlayerObserver* observer : observers) {
        observer->playerSeeked(position);
    }
}

void Player::setStatus(const QString& text) {
    notifyObservers();
    if (inMain()) {
        main_.statusText = text;
        view().setStatusText(text);
    }
}

void Player::setNow(const QString& text) {
    if (inMain()) {
        main_.nowText = text;
        view().setNowText(text);
    }
}

void Player::setTotal(const QString& text) {
    notifyObservers();
    if (inMain()) {
        main_.totalText = text;
        view().setTotalText(text);
    }
}

void Player::setTitle(const QString& text) {
    notifyObservers();
    if (inMain()) {
        main_.titleText = text;
        view().setTitleText(text);
    }
}

void Player::setTitleLeft(int left) {
    if (inMain()) {
        main_.titleLeft = left;
        view().setTitleLeft(left);
    }
}

void Player::setPositionBar(int width) {
    if (inMain()) {
        main_.positionBarWidth = width;
        view().setPositionBarWidth(width);
    }
}

void Player::setDeviceShown(int slot) {
    if (inMain()) {
        main_.deviceShown = slot;
        view().setDeviceIndicator(slot);
    }
}

void Player::setCaptionText(const QString& caption) {
    if (inMain()) {
        main_.caption = caption;
        view().setCaption(caption);
    }
}

void Player::setCanPause(bool canPause) {
    if (inMain()) {
        main_.canPause = canPause;
        view().stateChanged();
    }
    notifyObservers();
}

void Player::setTrayMenu(bool play, bool pause, bool stop, bool prev) {
    if (!inMain()) {
        tray_.playEnabled = play;
        tray_.pauseEnabled = pause;
        tray_.stopEnabled = stop;
        tray_.prevEnabled = prev;
        view().stateChanged();
    }
    notifyObservers();
}

void Player::updateEnableFlags() {
    const std::int16_t last = state_.listLast();
    const bool any = last >= 0;
    const bool several = last >= 1;
    main_.canPlay = any;
    main_.canPause = any;
    main_.canStop = any;
    main_.canPrev = any;
    main_.canDelete = any;
    main_.canNext = several;
    main_.canBack = several;
    changed();
}

void Player::rewindDisplay() {
    setTitleLeft(kTitleStartLeft);
    setNow(QStringLiteral("00:00"));
    setPositionBar(1);
}

void Player::enterTray(PlayerView& trayView) {
    // The tray goes on at the speed in force, from the tempos the main window wrote, so a
    // song already at double speed is not doubled again.
    tray_.speed = main_.speed;
    attachView(trayView, WindowMode::Tray);
    repeatCommand(settings_.repeat);
    const bool playing = engine_.status() == QLatin1String("playing");
    setTrayMenu(!engine_.fileName().isEmpty() && !playing, playing, playing, playing);
}

void Player::returnFromTray(PlayerView& mainView) {
    main_ = MainWindowState{};
    attachView(mainView, WindowMode::Main);
    // A fresh window shows its design-time indicator until told the mode in force; the
    // shuffle order is kept, so the command itself is not run again.
    const std::int16_t repeat = validRepeatMode(settings_.repeat);
    view().showRepeat(repeat, repeatIndicator(repeat));
    updateList(-1);
    setDeviceShown(state_.slotInUse);
    const std::int16_t last = state_.listLast();
    if (last == -1) {
        return;
    }
    view().selectLine(state_.currentEntry);
    setCaptionText(songCaption(state_.currentEntry, last, engine_.title(), module_.appTitle));
    setTitle(engine_.title());
    setTotal(intake::formatTime(engine_.playTime()));
    const QString status = engine_.status();
    if (status == QLatin1String("playing")) {
        setStatus(QStringLiteral("PLAY"));
    } else if (status == QLatin1String("stopped")) {
        setStatus(QStringLiteral("STOP"));
    } else if (status == QLatin1String("paused")) {
        setStatus(QStringLiteral("PAUSE"));
    }
}

}  // namespace vesk::player
