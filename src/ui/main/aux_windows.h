#pragma once
// The small windows the main window opens: the version window F_4, the file-information
// window F_5 and the progress window F_2. The main window reaches them only through this
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

    // F_4, not modal; it keeps the main window disabled while it is open.
    virtual void showVersion(QWidget* mainWindow) = 0;

    // F_5 at `topLeft` (screen position of its frame), with its design-time texts;
    // `closedByUser` runs when the user closes it with its close box.
    virtual void showFileInfo(QWidget* mainWindow, QPoint topLeft,
                              std::function<void()> closedByUser) = 0;
    virtual void fillFileInfo(const player::FileInfoTexts& texts) = 0;
    virtual void setFileInfoBpm(const QString& text) = 0;
    virtual void moveFileInfo(QPoint topLeft) = 0;
    virtual void closeFileInfo() = 0;

    // F_2 around one intake.
    virtual void showProgress(QWidget* mainWindow) = 0;
    virtual void showProgressEntry(const intake::SongEntry& entry) = 0;
    virtual void closeProgress() = 0;

    // The program ends: every window still open goes.
    virtual void closeAll() = 0;
};

}  // namespace vesk::ui
