#pragma once
// The window host on the main window's test rig: real PlayerWindow windows made by the host, the
// tray window without its timer, so tests drive each tick on the virtual clock.

#include <QAction>
#include <QMenu>
#include <chrono>
#include <memory>

#include "ui/host/window_host.h"
#include "ui/main/song_list.h"
#include "ui/main/window_rig.h"
#include "ui/tray/tray_window.h"

namespace vesk::ui::test {

struct TrayRig : WindowRig {
    explicit TrayRig(bool withTray = true, bool withTrayTimer = false) {
        context = std::make_unique<MainWindowContext>(
            MainWindowContext{module, settings, interaction, *player});
        WindowHost::Options options;
        options.trayAvailable = withTray;
        options.runTrayTimer = withTrayTimer;
        options.makeMainWindow = [this](MainWindowContext& c) -> std::unique_ptr<MainWindow> {
            ++mainWindowsMade;
            return std::make_unique<PlayerWindow>(
                c, PlayerWindowParts{dialogs, windows, extractor, [this] { ++quits; }, {}, false});
        };
        host = std::make_unique<WindowHost>(*context, std::move(options));
        started = host->start();
        shown = [this]() -> PlayerWindow& { return main(); };
    }

    PlayerWindow& main() { return *dynamic_cast<PlayerWindow*>(host->mainWindow()); }
    TrayWindow& tray() { return *host->trayWindow(); }
    QSystemTrayIcon& icon() { return *tray().findChild<QSystemTrayIcon*>("TrayIcon"); }
    QMenu& menu() { return *tray().findChild<QMenu*>("mnu_Main"); }
    bool inTray() const { return host->trayWindow() != nullptr; }

    // The main window's command, as its menu runs it.
    void enterTray() { main().findChild<QAction*>("mnu_TaskTray")->trigger(); }
    // A left double-click on the icon; the finished windows are dropped afterwards.
    void returnToMain() {
        emit icon().activated(QSystemTrayIcon::DoubleClick);
        QCoreApplication::processEvents();
    }

    QAction* item(const char* name) { return tray().findChild<QAction*>(name); }
    void trigger(const char* name) { item(name)->trigger(); }
    // Enabled states of 再生, 一時停止, 停止 and 頭出し, as "PpSr" letters: upper case enabled.
    QString transportStates() {
        QString out;
        const char* names[] = {"mnu_Play", "mnu_Pause", "mnu_Stop", "mnu_Prev"};
        for (int i = 0; i < 4; ++i) {
            const QChar c = QChar::fromLatin1("pasr"[i]);
            out += item(names[i])->isEnabled() ? c.toUpper() : c;
        }
        return out;
    }

    // Playback for `ms` of clock time with the tray's timer ticking.
    void runTray(int ms) {
        for (int t = 0; t < ms; t += kTrayTickMs) {
            clock.advance(std::chrono::milliseconds(kTrayTickMs));
            backend.pump(clock.now());
            tray().tick();
        }
    }

    SongList& list() { return *main().findChild<SongList*>("SongList"); }

    std::unique_ptr<WindowHost> host;
    bool started = false;
    int mainWindowsMade = 0;
};

}  // namespace vesk::ui::test
