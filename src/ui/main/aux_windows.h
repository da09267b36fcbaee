#pragma once
// The small windows the main window opens: the version window, the file-information
// window and the progress window. The main window reaches them only through this
// interface, so tests watch them without showing any.

#include <QPoint>
#include <QString>
#include <functional>

#include "intake/song_entry.h"
#include "player/player_view.h"

class QWidget;

namespace vesk::ui {

class AuxWindows {
  public:
    virtual ~AuxWindows() = default;

    // The version window, not modal; it keeps the main window disabled while it is open.
    virtual void showVersion(QWidget* mainWindow) = 0;

    // The file-information window at `topLeft` (screen position of its frame), with its design-time
    // texts; `closedByUser` runs when the user closes it with its close box.
    virtual void showFileInfo(QWidget* mainWindow, QPoint topLeft,
                              std::function<void()> closedByUser) = 0;
    virtual void fillFileInfo(const player::FileInfoTexts& texts) = 0;
    virtual void setFileInfoBpm(const QString& text) = 0;
    virtual void moveFileInfo(QPoint topLeft) = 0;
    virtual void closeFileInfo() = 0;

    // The progress window around one intake.
    virtual void showProgress(QWidget* mainWindow) = 0;
    virtual void showProgressEntry(const intake::SongEntry& entry) = 0;
    virtual void closeProgress() = 0;

    // The program ends: every window still open goes.
    virtual void closeAll() = 0;
};

}  // namespace vesk::ui
