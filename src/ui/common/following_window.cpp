#include "ui/common/following_window.h"

#include <QCloseEvent>

namespace vesk::ui {

FollowingWindow::FollowingWindow(bool& shown, int refreshMs) : shown_(shown) {
    timer_.setInterval(refreshMs);
    connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
}

void FollowingWindow::setShown(bool shown) {
    shown_ = shown;
    if (shown) {
        refresh();
        show();
        raise();
        timer_.start();
    } else {
        timer_.stop();
        hide();
    }
}

void FollowingWindow::closeEvent(QCloseEvent* event) {
    timer_.stop();
    shown_ = false;
    event->accept();
}

}  // namespace vesk::ui
