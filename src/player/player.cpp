#include "player/player.h"

#include <utility>

#include "intake/path_text.h"
#include "player/player_log.h"

Q_LOGGING_CATEGORY(lcPlayer, "vesk.player")

namespace vesk::player {

Player::Player(engine::Vesk_Engine& engine, app::Settings& settings, const app::ModuleState& module,
               platform::UserInteraction& interaction, RandomSource& random,
               PlayerServices services)
    : engine_(engine),
      settings_(settings),
      module_(module),
      interaction_(interaction),
      random_(random),
      services_(std::move(services)) {}

void Player::attachView(PlayerView& view, WindowMode mode) {
    view_ = &view;
    mode_ = mode;
}

void Player::setStatus(const QString& text) {
    if (inMain()) {
        main_.StatusText = text;
        view().setStatusText(text);
    }
}

void Player::setNow(const QString& text) {
    if (inMain()) {
        main_.NowText = text;
        view().setNowText(text);
    }
}

void Player::setTotal(const QString& text) {
    if (inMain()) {
        main_.TotalText = text;
        view().setTotalText(text);
    }
}

void Player::setTitle(const QString& text) {
    if (inMain()) {
        main_.TitleText = text;
        view().setTitleText(text);
    }
}

void Player::setTitleLeft(int left) {
    if (inMain()) {
        main_.TitleLeft = left;
        view().setTitleLeft(left);
    }
}

void Player::setPositionBar(int width) {
    if (inMain()) {
        main_.PositionBarWidth = width;
        view().setPositionBarWidth(width);
    }
}

void Player::setDeviceShown(int slot) {
    if (inMain()) {
        main_.DeviceShown = slot;
        view().setDeviceIndicator(slot);
    }
}

void Player::setCaptionText(const QString& caption) {
    if (inMain()) {
        main_.Caption = caption;
        view().setCaption(caption);
    }
}

void Player::setCanPause(bool canPause) {
    if (inMain()) {
        main_.CanPause = canPause;
        view().stateChanged();
    }
}

void Player::setTrayMenu(bool play, bool pause, bool stop, bool prev) {
    if (!inMain()) {
        tray_.PlayEnabled = play;
        tray_.PauseEnabled = pause;
        tray_.StopEnabled = stop;
        tray_.PrevEnabled = prev;
        view().stateChanged();
    }
}

void Player::updateEnableFlags() {
    const std::int16_t last = state_.ListLast();
    const bool any = last >= 0;
    const bool several = last >= 1;
    main_.CanPlay = any;
    main_.CanPause = any;
    main_.CanStop = any;
    main_.CanPrev = any;
    main_.CanDelete = any;
    main_.CanNext = several;
    main_.CanBack = several;
    view().stateChanged();
}

void Player::rewindDisplay() {
    setTitleLeft(kTitleStartLeft);
    setNow(QStringLiteral("00:00"));
    setPositionBar(1);
}

void Player::enterTray(PlayerView& trayView) {
    // The tray goes on at the speed in force, from the tempos the main window wrote, so a
    // song already at double speed is not doubled again.
    tray_.Speed = main_.Speed;
    attachView(trayView, WindowMode::Tray);
    repeatCommand(settings_.Repeat);
    const bool playing = engine_.Status() == QLatin1String("playing");
    setTrayMenu(!engine_.FileName().isEmpty() && !playing, playing, playing, playing);
}

void Player::returnFromTray(PlayerView& mainView) {
    main_ = MainWindowState{};
    attachView(mainView, WindowMode::Main);
    UpDate_List(-1);
    setDeviceShown(state_.SlotInUse);
    const std::int16_t last = state_.ListLast();
    if (last == -1) {
        return;
    }
    view().selectLine(state_.CurrentEntry);
    setCaptionText(SongCaption(state_.CurrentEntry, last, engine_.Title(), module_.AppTitle));
    setTitle(engine_.Title());
    setTotal(intake::FormatTime(engine_.PlayTime()));
    const QString status = engine_.Status();
    if (status == QLatin1String("playing")) {
        setStatus(QStringLiteral("PLAY"));
    } else if (status == QLatin1String("stopped")) {
        setStatus(QStringLiteral("STOP"));
    } else if (status == QLatin1String("paused")) {
        setStatus(QStringLiteral("PAUSE"));
    }
}

}  // namespace vesk::player
