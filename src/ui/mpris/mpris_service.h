#pragma once
// The player on the session bus as an MPRIS 2 media player, so media keys, the shell's
// media controls and playerctl drive it. Every request runs one of the player's own
// commands, as the window's buttons and the tray menu do; the player tells the service
// when anything changed and the service announces the differences.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

#include "player/player.h"
#include "player/player_observer.h"
#include "ui/mpris/mpris_state.h"

namespace vesk::ui::mpris {

class PlayerAdaptor;

struct MprisHooks {
    // Brings the main window forward, also out of tray mode.
    std::function<void()> raise;
    // The window's own quit.
    std::function<void()> quit;
};

class MprisService final : public QObject, public player::PlayerObserver {
    Q_OBJECT
  public:
    MprisService(player::Player& player, MprisHooks hooks, QString desktopEntry);
    ~MprisService() override;

    // Takes the service name and exports the objects; false, with the reason, when there
    // is no session bus or the name is held by someone else.
    bool attach(const QDBusConnection& bus, QString* error);

    // org.mpris.MediaPlayer2
    QString desktopEntry() const { return desktopEntry_; }
    void raise();
    void quit();

    // org.mpris.MediaPlayer2.Player
    Snapshot snapshot();
    qlonglong positionUs();
    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void seek(qlonglong offsetUs);
    void setPosition(const QString& trackId, qlonglong positionUs);
    void openUri(const QString& uri);
    void setLoopStatus(const QString& loop);
    void setShuffle(bool on);
    void setRate(double rate);

    // PlayerObserver
    void playerChanged() override;
    void playerSeeked(int positionMs) override;

  private:
    void publish();
    QString trackId();
    bool haveSong();
    bool haveSeveral() const;

    player::Player& player_;
    MprisHooks hooks_;
    QString desktopEntry_;
    PlayerAdaptor* playerAdaptor_ = nullptr;
    QDBusConnection bus_;
    bool attached_ = false;
    bool publishPending_ = false;
    Snapshot published_;
};

}  // namespace vesk::ui::mpris
