#include "ui/main/info_windows.h"

#include <QCoreApplication>

namespace vesk::ui {
namespace {

// Closes a window and deletes it once pending events about it have run.
template <typename Window>
void dispose(QPointer<Window>& window) {
    if (window) {
        QObject::disconnect(window, &QObject::destroyed, nullptr, nullptr);
        window->close();
        window->deleteLater();
    }
    window = nullptr;
}

}  // namespace

InfoWindows::~InfoWindows() {
    // Deleted at once: the event loop may be gone already.
    delete version4_.data();
    if (info5_) {
        QObject::disconnect(info5_, &QObject::destroyed, nullptr, nullptr);
        delete info5_.data();
    }
    delete progress2_.data();
}

void InfoWindows::showVersion(QWidget* mainWindow) {
    if (version4_) {
        version4_->raise();
        version4_->activateWindow();
        return;
    }
    version4_ = new F_4(version_, mainWindow);
    version4_->setAttribute(Qt::WA_DeleteOnClose);
    version4_->show();
}

void InfoWindows::showFileInfo(QWidget* mainWindow, QPoint topLeft,
                               std::function<void()> closedByUser) {
    dispose(info5_);
    info5_ = new F_5(mainWindow);
    info5_->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(info5_, &QObject::destroyed, info5_, [closedByUser = std::move(closedByUser)] {
        if (closedByUser) {
            closedByUser();
        }
    });
    info5_->move(topLeft);
    info5_->show();
}

void InfoWindows::fillFileInfo(const player::FileInfoTexts& texts) {
    if (info5_) {
        info5_->showFileInfo(texts);
    }
}

void InfoWindows::setFileInfoBpm(const QString& text) {
    if (info5_) {
        info5_->setBpmText(text);
    }
}

void InfoWindows::moveFileInfo(QPoint topLeft) {
    if (info5_) {
        info5_->move(topLeft);
    }
}

void InfoWindows::closeFileInfo() {
    dispose(info5_);
}

void InfoWindows::showProgress(QWidget* mainWindow) {
    dispose(progress2_);
    progress2_ = new F_2(mainWindow);
    progress2_->setAttribute(Qt::WA_DeleteOnClose);
    progress2_->show();
}

void InfoWindows::showProgressEntry(const intake::SongEntry& entry) {
    if (progress2_) {
        progress2_->showEntry(entry);
    }
}

void InfoWindows::closeProgress() {
    dispose(progress2_);
}

void InfoWindows::closeAll() {
    dispose(version4_);
    dispose(info5_);
    dispose(progress2_);
}

}  // namespace vesk::ui
