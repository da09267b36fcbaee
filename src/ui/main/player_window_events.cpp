// The main window's mouse and key handling: picture buttons, list tools, transport
// images, the labels that open menus, the position bar and the song list.

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include "intake/multi_list.h"
#include "player/play_list.h"
#include "ui/main/player_window.h"
#include "ui/main/skin_style.h"
#include "ui/main/skin_widgets.h"
#include "ui/main/song_list.h"

namespace vesk::ui {
namespace {

constexpr char SaveListTitle[] = "ﾘｽﾄの保存";

}  // namespace

void PlayerWindow::connectControls() {
    for (int i = 0; i < 4; ++i) {
        PictureBox* button = pictureButtons_[static_cast<std::size_t>(i)];
        connect(button, &PictureBox::pressed, this,
                [this, i](Qt::MouseButton b, QPoint) { buttonPressed(i, b); });
        connect(button, &PictureBox::released, this,
                [this, i](Qt::MouseButton b, QPoint at) { buttonReleased(i, b, at); });
        PictureBox* tool = listTools_[static_cast<std::size_t>(i)];
        connect(tool, &PictureBox::pressed, this,
                [this, i](Qt::MouseButton, QPoint) { toolPressed(i); });
        connect(tool, &PictureBox::released, this,
                [this, i](Qt::MouseButton, QPoint) { toolReleased(i); });
    }

    player::Player& core = context_.player;
    connect(playButton_, &PictureBox::clicked, this, [this] { playClicked(); });
    connect(stopButton_, &PictureBox::clicked, this, [this, &core] {
        if (core.mainWindow().canStop) {
            core.transportStop();
        }
        focusList();
    });
    connect(prevButton_, &PictureBox::clicked, this, [this, &core] {
        if (core.mainWindow().canPrev) {
            core.transportPrev();
        }
        focusList();
    });
    connect(backButton_, &PictureBox::clicked, this, [this, &core] {
        if (core.mainWindow().canBack) {
            core.transportBack();
        }
        focusList();
    });
    connect(nextButton_, &PictureBox::clicked, this, [this, &core] {
        if (core.mainWindow().canNext) {
            core.transportNext();
        }
        focusList();
    });

    connect(menuLabel_, &SkinLabel::pressed, this,
            [this](Qt::MouseButton, QPoint) { menuPressed(); });
    connect(deviceALabel_, &SkinLabel::doubleClicked, this, [&core](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton) {
            core.deviceACommand();
        }
    });
    connect(deviceBLabel_, &SkinLabel::doubleClicked, this, [&core](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton) {
            core.deviceBCommand();
        }
    });
    for (SkinLabel* label : {deviceALabel_, deviceBLabel_}) {
        connect(label, &SkinLabel::pressed, this, [this](Qt::MouseButton b, QPoint at) {
            if (b == Qt::RightButton) {
                popup(deviceMenu_, at);
            }
        });
    }
    connect(noRepeatLabel_, &SkinLabel::pressed, this,
            [this](Qt::MouseButton b, QPoint) { repeatLabelPressed(b); });
    connect(noRepeatLabel_, &SkinLabel::doubleClicked, this, [this](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton) {
            repeatLabelPressed(b);
        }
    });
    connect(titleLabel_, &SkinLabel::pressed, this, [this](Qt::MouseButton b, QPoint at) {
        if (b == Qt::RightButton) {
            popup(toolsMenu_, at);
        }
    });

    connect(positionBar_, &PositionBar::pressed, this, [this](double x) {
        seekX_ = seekXForPress(x);
        focusList();
    });
    connect(positionBar_, &PositionBar::doubleClicked, this, [this] {
        seek();
        focusList();
    });

    connect(openFileAction_, &QAction::triggered, this, [this] { openFileCommand(); });
    connect(addFileAction_, &QAction::triggered, this, [this] { addFileCommand(); });
    connect(openFolderAction_, &QAction::triggered, this, [this] { openFolderCommand(); });
    connect(addFolderAction_, &QAction::triggered, this, [this] { addFolderCommand(); });
    for (int i = 0; i < 4; ++i) {
        connect(repeatActions_[static_cast<std::size_t>(i)], &QAction::triggered, this,
                [&core, i] { core.repeatCommand(static_cast<std::int16_t>(i)); });
    }
    connect(doubleSpeedAction_, &QAction::triggered, this, [&core] { core.doubleSpeedCommand(); });
    connect(halfSpeedAction_, &QAction::triggered, this, [&core] { core.halfSpeedCommand(); });
    connect(deviceAAction_, &QAction::triggered, this, [&core] { core.deviceACommand(); });
    connect(deviceBAction_, &QAction::triggered, this, [&core] { core.deviceBCommand(); });
    connect(autoDeviceAction_, &QAction::triggered, this, [&core] { core.autoDeviceCommand(); });
    connect(trayAction_, &QAction::triggered, this, [this] { taskTrayCommand(); });
    connect(versionAction_, &QAction::triggered, this,
            [this] { parts_.windows.showVersion(this); });
    connect(exitAction_, &QAction::triggered, this, [this] { exitCommand(); });
    connect(volumeAction_, &QAction::triggered, this, [this] {
        if (parts_.startVolumeControl) {
            parts_.startVolumeControl();
        }
    });
    connect(scrollAction_, &QAction::triggered, this, [&core] { core.scrollCommand(); });
    connect(lyricsAction_, &QAction::triggered, this, [this] { lyricsCommand(); });
    connect(channelsAction_, &QAction::triggered, this, [this] { channelsCommand(); });
    connect(transposeUpAction_, &QAction::triggered, this, [&core] { core.transposeCommand(1); });
    connect(transposeDownAction_, &QAction::triggered, this,
            [&core] { core.transposeCommand(-1); });
    connect(transposeResetAction_, &QAction::triggered, this,
            [&core] { core.resetTransposeCommand(); });
    // Every checkable item shows the core's state, whatever the click did to its mark.
    for (QMenu* menu : {repeatMenu_, speedMenu_, deviceMenu_, toolsMenu_, transposeMenu_}) {
        connect(menu, &QMenu::triggered, this, [this] { syncMenus(); });
    }
}

void PlayerWindow::connectList() {
    player::Player& core = context_.player;
    songList_->onPress = [this](int line) { dragFrom_ = static_cast<std::int16_t>(line); };
    songList_->onLeftRelease = [this](int line) { listLeftReleased(line); };
    songList_->onRightRelease = [this](QPoint at) { popup(fileMenu_, at); };
    songList_->onDoubleClick = [this](int line) { listDoubleClicked(line); };
    songList_->onEnter = [this, &core](int line) {
        if (playerState().listLast() != -1) {
            core.playEntry(static_cast<std::int16_t>(line));
        }
    };
    songList_->onCtrlArrow = [this](bool up) { return moveSelected(up); };
    songList_->onCtrlKey = [this](QKeyEvent* event) { return windowKey(event); };
    songList_->onDrop = [this](const QStringList& paths) {
        // Taken in once the drag has ended, not inside the drop.
        QMetaObject::invokeMethod(
            this, [this, paths] { dropFiles(paths); }, Qt::QueuedConnection);
    };
}

// Picture buttons ---------------------------------------------------------------------

bool PlayerWindow::buttonUsable(int i) const {
    switch (i) {
        case 0:
            return openFileAction_->isEnabled();
        case 1:
            return context_.player.mainWindow().hasDocument;
        case 2:
            return canShowInfo_;
        default:
            return true;
    }
}

void PlayerWindow::swapButtonPicture(int i) {
    const auto n = static_cast<std::size_t>(i);
    scratchPicture_ = pictureButtons_[n]->picture();
    pictureButtons_[n]->setPicture(otherPictures_[n]);
    otherPictures_[n] = scratchPicture_;
    scratchPicture_.clear();
}

void PlayerWindow::buttonPressed(int i, Qt::MouseButton) {
    const auto n = static_cast<std::size_t>(i);
    if (!buttonUsable(i) || buttonDown_[n]) {
        return;
    }
    buttonDown_[n] = true;
    swapButtonPicture(i);
}

void PlayerWindow::buttonReleased(int i, Qt::MouseButton button, QPoint globalPos) {
    const auto n = static_cast<std::size_t>(i);
    if (!buttonUsable(i)) {
        return;
    }
    switch (i) {
        case 0:
            if (button == Qt::LeftButton) {
                openFileCommand();
            } else if (button == Qt::RightButton) {
                popup(fileMenu_, globalPos);
            }
            break;
        case 1:
            if (context_.player.mainWindow().hasDocument) {
                context_.player.openDocument();
            }
            break;
        case 2:
            toggleFileInfo();
            break;
        default:
            if (context_.showOptions) {
                context_.showOptions(this);
            }
            break;
    }
    // The pressed picture stays through the action (a dialog it opens shows it pressed).
    if (buttonDown_[n]) {
        buttonDown_[n] = false;
        swapButtonPicture(i);
    }
    context_.interaction.processEvents();
}

void PlayerWindow::toggleFileInfo() {
    player::Player& core = context_.player;
    if (core.mainWindow().infoShown) {
        core.setInfoShown(false);
        parts_.windows.closeFileInfo();
        return;
    }
    core.setInfoShown(true);
    parts_.windows.showFileInfo(this, infoWindowPlace(),
                                [this] { context_.player.setInfoShown(false); });
    if (playerState().listLast() != -1) {
        parts_.windows.fillFileInfo(core.currentFileInfo());
    }
}

// List tools ------------------------------------------------------------------------

bool PlayerWindow::toolUsable(int i) const {
    const player::Player& core = context_.player;
    return i == 0 ? core.mainWindow().canDelete : playerState().listLast() >= 1;
}

void PlayerWindow::toolPressed(int i) {
    if (!toolUsable(i)) {
        return;
    }
    const auto n = static_cast<std::size_t>(i);
    listTools_[n]->setPicture(toolPressedPictures_[n]);
    focusList();
}

void PlayerWindow::toolReleased(int i) {
    if (!toolUsable(i)) {
        return;
    }
    const int selected = songList_->selectedLine();
    player::Player& core = context_.player;
    const std::int16_t last = playerState().listLast();
    switch (i) {
        case 0:
            core.deleteEntry(static_cast<std::int16_t>(selected));
            break;
        case 1:
        case 2: {
            const int other = i == 1 ? selected - 1 : selected + 1;
            if (selected >= 0 && selected <= last && other >= 0 && other <= last) {
                core.swapEntries(static_cast<std::int16_t>(selected),
                                 static_cast<std::int16_t>(other), false);
                rewriteLine(selected);
                rewriteLine(other);
                songList_->selectLine(other);
            }
            break;
        }
        default:
            saveList();
            break;
    }
    const auto n = static_cast<std::size_t>(i);
    listTools_[n]->setPicture(toolPictures_[n]);
}

bool PlayerWindow::moveSelected(bool up) {
    const int tool = up ? 1 : 2;
    const int selected = songList_->selectedLine();
    const int target = up ? selected - 1 : selected + 1;
    const std::int16_t last = playerState().listLast();
    const bool moves = toolUsable(tool) && selected >= 0 && target >= 0 && target <= last;
    toolPressed(tool);
    toolReleased(tool);
    return moves;
}

void PlayerWindow::saveList() {
    const QString path = parts_.dialogs.saveListDialog(this, QString::fromUtf8(SaveListTitle));
    if (path.isEmpty()) {
        return;
    }
    const platform::WriteResult written = intake::saveMultiList(path, playerState().playList);
    if (!written.ok) {
        context_.interaction.showMessage(
            QStringLiteral("ﾘｽﾄを保存できませんでした。\n") + path + u'\n' + written.error,
            platform::MessageIcon::Critical);
    }
}

void PlayerWindow::rewriteLine(int index) {
    const auto& list = playerState().playList;
    if (index >= 0 && static_cast<std::size_t>(index) < list.size()) {
        setLine(index, player::listLine(static_cast<std::int16_t>(index),
                                        player::shownTitle(list[static_cast<std::size_t>(index)])));
    }
}

// Transport and labels --------------------------------------------------------------

void PlayerWindow::playClicked() {
    player::Player& core = context_.player;
    if (core.isPlaying()) {
        if (core.mainWindow().canPause) {
            core.transportPause();
        }
    } else if (core.mainWindow().canPlay) {
        core.transportPlay();
    }
    focusList();
}

void PlayerWindow::menuPressed() {
    focusList();
    const bool useB = context_.settings.useDeviceB;
    deviceBAction_->setEnabled(useB);
    autoDeviceAction_->setEnabled(useB);
    deviceBLabel_->setEnabled(useB);
    popup(mainMenu_, mapToGlobal(buttonPanel_->pos()));
}

void PlayerWindow::repeatLabelPressed(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        const int next = (context_.player.repeatMode() + 1) % 4;
        context_.player.repeatCommand(static_cast<std::int16_t>(next));
    } else if (button == Qt::RightButton) {
        const QPoint below(repeatPanel_->x() + noRepeatLabel_->x(),
                           repeatPanel_->y() + noRepeatLabel_->y() + noRepeatLabel_->height());
        popup(repeatMenu_, mapToGlobal(below));
    }
}

void PlayerWindow::seek() {
    player::Player& core = context_.player;
    core.seekTo(seekPosition(seekX_, positionBar_->width(), core.songLength()));
}

void PlayerWindow::keyPressEvent(QKeyEvent* event) {
    if (isCtrlAlone(event->modifiers()) && windowKey(event)) {
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PlayerWindow::windowKey(QKeyEvent* event) {
    if (!isCtrlAlone(event->modifiers())) {
        return false;
    }
    switch (event->key()) {
        case Qt::Key_F:
            openFileCommand();
            return true;
        case Qt::Key_D:
            if (addFileAction_->isEnabled()) {
                addFileCommand();
            }
            return true;
        case Qt::Key_S:
            openFolderCommand();
            return true;
        case Qt::Key_A:
            if (addFolderAction_->isEnabled()) {
                addFolderCommand();
            }
            return true;
        case Qt::Key_L:
            lyricsCommand();
            return true;
        case Qt::Key_K:
            channelsCommand();
            return true;
        case Qt::Key_PageUp:
            context_.player.transposeCommand(1);
            return true;
        case Qt::Key_PageDown:
            context_.player.transposeCommand(-1);
            return true;
        case Qt::Key_0:
            context_.player.resetTransposeCommand();
            return true;
        case Qt::Key_P:
            context_.player.nextLoopsCommand();
            return true;
        default:
            return false;
    }
}

// Song list -------------------------------------------------------------------------

void PlayerWindow::listDoubleClicked(int line) {
    if (context_.player.isIdle() || line != playerState().currentEntry) {
        context_.player.playEntry(static_cast<std::int16_t>(line));
    }
}

void PlayerWindow::listLeftReleased(int line) {
    const int from = dragFrom_;
    if (line < 0 || from < 0 || line == from) {
        return;
    }
    context_.player.swapEntries(static_cast<std::int16_t>(from), static_cast<std::int16_t>(line),
                                false);
    rewriteLine(from);
    rewriteLine(line);
    songList_->selectLine(line);
}

}  // namespace vesk::ui
