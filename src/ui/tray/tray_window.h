#pragma once
// The tray window: never shown itself, it carries the task-tray icon, the popup menu
// with the transport commands and the 250 ms timer that keeps playback going through the
// list while the main window is closed. The player core does the work in its tray mode;
// this window forwards the menu and the icon's events and follows the menu states.

#include <QIcon>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "config/module_state.h"
#include "config/settings.h"
#include "intake/archive_extract.h"
#include "platform/user_interaction.h"
#include "player/player.h"
#include "player/player_view.h"

class QAction;
class QMenu;

namespace vesk::ui {

struct TrayContext {
    config::ModuleState& module;
    config::Settings& settings;
    platform::UserInteraction& interaction;
    player::Player& player;
    // The extractor the song loader uses; none: the tray window keeps one of its own.
    intake::ArchiveExtractor* extractor = nullptr;
};

// What the tray window asks of the window host.
struct TrayWindowParts {
    // Closes the main window; its reload flag is set, so playback goes on.
    std::function<void()> closeMainWindow;
    // Makes the main window again and loads and shows it; the reload flag is set.
    std::function<void()> showMainWindow;
    // The tray window closed on the way back: the main window comes forward.
    std::function<void()> raiseMainWindow;
    // The tray window closed with 終了: the main window's quit (sequencer closed,
    // configuration written, program ended).
    std::function<void()> saveConfig;
    // The timer runs the player's tick every 250 ms; tests tick it themselves.
    bool runTimer = true;
};

inline constexpr int kTrayTickMs = 250;

// What the tray does with an activation of its icon.
enum class TrayResponse { Nothing, ReturnToMainWindow, OpenMenu, OpenMenuOnRelease };

// Decided on the event and on `held`, the buttons held in this program's own windows as it
// arrives. An icon embedded in an X tray is a window of this program: its click comes with
// the button still down, a left press also starts every double click, and the right
// button's release is still to come. A desktop that draws the icon itself calls over D-Bus
// after the click is over, with no button held here, and never reports a double click.
TrayResponse trayResponse(QSystemTrayIcon::ActivationReason reason, Qt::MouseButtons held);

class TrayWindow final : public QWidget, public player::PlayerView {
    Q_OBJECT
  public:
    TrayWindow(TrayContext& context, TrayWindowParts parts);
    ~TrayWindow() override;

    // Entering tray mode: adds the icon, takes over the player from the main window,
    // closes the main window and starts the timer.
    void load();

    // One tick of the timer.
    void tick();
    // The main window opens again and this window closes.
    void returnToMainWindow();
    // What the icon reports, decided by trayResponse.
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

    const QTimer& timer() const { return timer_; }

    // The icon in its 16-pixel and scalable forms.
    static QIcon trayIcon();

    // PlayerView: the tray shows no song; it takes in hand-offs and follows its menu.
    void openCommandLine(const QString& line) override;
    void stateChanged() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Waits for the right button's release after a menu request on an embedded icon.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenu();
    void syncMenu();

    TrayContext& context_;
    TrayWindowParts parts_;
    intake::ArchiveExtractor ownExtractor_;
    intake::ArchiveExtractor& extractor_;
    QTimer timer_;
    bool closed_ = false;
    bool menuOnRelease_ = false;

    QSystemTrayIcon* icon_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    QAction* playAction_ = nullptr;
    QAction* pauseAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    QAction* nextAction_ = nullptr;
    QAction* backAction_ = nullptr;
    QAction* prevAction_ = nullptr;
    QMenu* repeatMenu_ = nullptr;
    std::array<QAction*, 4> repeatActions_{};
    QAction* quitAction_ = nullptr;
};

}  // namespace vesk::ui
