#pragma once
// Owns whichever of the two windows exists, the main window or the tray window, and makes
// the switch between them both ways. Start-up makes one host and starts it.

#include <QObject>
#include <functional>
#include <memory>

#include "ui/main/main_window.h"
#include "ui/tray/tray_window.h"

namespace vesk::ui {

class WindowHost final : public QObject {
    Q_OBJECT
  public:
    using MainWindowFactory = std::function<std::unique_ptr<MainWindow>(MainWindowContext&)>;

    struct Options {
        // Without a tray on the desktop the main window's tray command stays disabled.
        bool trayAvailable = false;
        MainWindowFactory makeMainWindow = createMainWindow;
        bool runTrayTimer = true;
    };

    WindowHost(MainWindowContext& context, Options options);
    ~WindowHost() override;

    // Makes, loads and shows the main window; false when the program must end at once.
    bool start();

    // Brings the main window forward; in tray mode the main window comes back as from
    // the tray icon.
    void raise();
    // The main window's own quit, from either mode.
    void quit();

    // The main window; in tray mode the closed one, kept so that quitting from the tray
    // ends through its own closing sequence.
    MainWindow* mainWindow() const { return main_.get(); }
    // The tray window in tray mode, otherwise none.
    TrayWindow* trayWindow() const { return tray_.get(); }

  private:
    void enterTray();
    void showMainWindow();
    // Drops the windows of the finished transition once their events have run.
    void retireLater();

    MainWindowContext& context_;
    TrayContext trayContext_;
    Options options_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<TrayWindow> tray_;
    // The main window closed for tray mode, between its replacement and the drop.
    std::unique_ptr<MainWindow> closedMain_;
};

}  // namespace vesk::ui
