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
    delete versionWindow_.data();
    if (songInfoWindow_) {
        QObject::disconnect(songInfoWindow_, &QObject::destroyed, nullptr, nullptr);
        delete songInfoWindow_.data();
    }
    delete progressWindow_.data();
}

void InfoWindows::showVersion(QWidget* mainWindow) {
    if (versionWindow_) {
        versionWindow_->raise();
        versionWindow_->activateWindow();
        return;
    }
    versionWindow_ = new VersionWindow(version_, mainWindow);
    versionWindow_->setAttribute(Qt::WA_DeleteOnClose);
    versionWindow_->show();
}

void InfoWindows::showFileInfo(QWidget* mainWindow, QPoint topLeft,
                               std::function<void()> closedByUser) {
    dispose(songInfoWindow_);
    songInfoWindow_ = new SongInfoWindow(mainWindow);
    songInfoWindow_->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(songInfoWindow_, &QObject::destroyed, songInfoWindow_,
                     [closedByUser = std::move(closedByUser)] {
                         if (closedByUser) {
                             closedByUser();
                         }
                     });
    songInfoWindow_->move(topLeft);
    songInfoWindow_->show();
}

void InfoWindows::fillFileInfo(const player::FileInfoTexts& texts) {
    if (songInfoWindow_) {
        songInfoWindow_->showFileInfo(texts);
    }
}

void InfoWindows::setFileInfoBpm(const QString& text) {
    if (songInfoWindow_) {
        songInfoWindow_->setBpmText(text);
    }
}

void InfoWindows::moveFileInfo(QPoint topLeft) {
    if (songInfoWindow_) {
        songInfoWindow_->move(topLeft);
    }
}

void InfoWindows::closeFileInfo() {
    dispose(songInfoWindow_);
}

void InfoWindows::showProgress(QWidget* mainWindow) {
    dispose(progressWindow_);
    progressWindow_ = new ProgressWindow(mainWindow);
    progressWindow_->setAttribute(Qt::WA_DeleteOnClose);
    progressWindow_->show();
}

void InfoWindows::showProgressEntry(const intake::SongEntry& entry) {
    if (progressWindow_) {
        progressWindow_->showEntry(entry);
    }
}

void InfoWindows::closeProgress() {
    dispose(progressWindow_);
}

void InfoWindows::closeAll() {
    dispose(versionWindow_);
    dispose(songInfoWindow_);
    dispose(progressWindow_);
}

}  // namespace vesk::ui
