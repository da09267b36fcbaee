#include "ui/host/window_host.h"

#include <QTimer>
#include <QWidget>
#include <utility>

namespace vesk::ui {

WindowHost::WindowHost(MainWindowContext& context, Options options)
    : context_(context),
      trayContext_{context.module, context.settings, context.interaction, context.player,
                   context.extractor},
      options_(std::move(options)) {
    if (options_.trayAvailable) {
        context_.enterTray = [this] { enterTray(); };
    } else {
        context_.enterTray = {};
    }
}

WindowHost::~WindowHost() = default;

bool WindowHost::start() {
    main_ = options_.makeMainWindow(context_);
    if (!main_->load()) {
        return false;
    }
    main_->show();
    return true;
}

void WindowHost::raise() {
    if (tray_) {
        tray_->returnToMainWindow();
        return;
    }
    if (auto* widget = dynamic_cast<QWidget*>(main_.get())) {
        widget->showNormal();
        widget->raise();
        widget->activateWindow();
    }
}

void WindowHost::quit() {
    if (tray_) {
        main_->saveConfig();
    } else {
        main_->closeWindow();
    }
}

void WindowHost::enterTray() {
    if (tray_) {
        return;
    }
    TrayWindowParts parts{
        [this] { main_->closeWindow(); }, [this] { showMainWindow(); }, [this] { main_->show(); },
        [this] { main_->saveConfig(); },  options_.runTrayTimer,
    };
    tray_ = std::make_unique<TrayWindow>(trayContext_, std::move(parts));
    tray_->load();
}

void WindowHost::showMainWindow() {
    // A new window, as after a reload: it takes the list and the song from the player.
    closedMain_ = std::move(main_);
    main_ = options_.makeMainWindow(context_);
    main_->load();
    main_->show();
    retireLater();
}

void WindowHost::retireLater() {
    // The tray window is still inside its own event handler here.
    auto tray = std::shared_ptr<TrayWindow>(std::move(tray_));
    auto closed = std::shared_ptr<MainWindow>(std::move(closedMain_));
    QTimer::singleShot(0, this, [tray, closed] {});
}

}  // namespace vesk::ui
