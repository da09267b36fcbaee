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

void F_1::connectControls() {
    for (int i = 0; i < 4; ++i) {
        PictureBox* button = img_Button_[static_cast<std::size_t>(i)];
        connect(button, &PictureBox::pressed, this,
                [this, i](Qt::MouseButton b, QPoint) { buttonPressed(i, b); });
        connect(button, &PictureBox::released, this,
                [this, i](Qt::MouseButton b, QPoint at) { buttonReleased(i, b, at); });
        PictureBox* tool = Img_Tool_[static_cast<std::size_t>(i)];
        connect(tool, &PictureBox::pressed, this,
                [this, i](Qt::MouseButton, QPoint) { toolPressed(i); });
        connect(tool, &PictureBox::released, this,
                [this, i](Qt::MouseButton, QPoint) { toolReleased(i); });
    }

    player::Player& core = context_.player;
    connect(B_Play_, &PictureBox::clicked, this, [this] { playClicked(); });
    connect(B_Stop_, &PictureBox::clicked, this, [this, &core] {
        if (core.mainWindow().canStop) {
            core.transportStop();
        }
        focusList();
    });
    connect(B_Prev_, &PictureBox::clicked, this, [this, &core] {
        if (core.mainWindow().canPrev) {
            core.transportPrev();
        }
        focusList();
    });
    connect(B_Back_, &PictureBox::clicked, this, [this, &core] {
        if (core.mainWindow().canBack) {
            core.transportBack();
        }
        focusList();
    });
    connect(B_Next_, &PictureBox::clicked, this, [this, &core] {
        if (core.mainWindow().canNext) {
            core.transportNext();
        }
        focusList();
    });

    connect(B_Menu_, &SkinLabel::pressed, this, [this](Qt::MouseButton, QPoint) { menuPressed(); });
    connect(Label3_, &SkinLabel::doubleClicked, this, [&core](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton) {
            core.deviceACommand();
        }
    });
    connect(Label4_, &SkinLabel::doubleClicked, this, [&core](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton) {
            core.deviceBCommand();
        }
    });
    for (SkinLabel* label : {Label3_, Label4_}) {
        connect(label, &SkinLabel::pressed, this, [this](Qt::MouseButton b, QPoint at) {
            if (b == Qt::RightButton) {
                popup(mnu_Device_, at);
            }
        });
    }
    connect(lbl_NoRep_, &SkinLabel::pressed, this,
            [this](Qt::MouseButton b, QPoint) { repeatLabelPressed(b); });
    connect(lbl_NoRep_, &SkinLabel::doubleClicked, this, [this](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton) {
            repeatLabelPressed(b);
        }
    });
    connect(lbl_Title_, &SkinLabel::pressed, this, [this](Qt::MouseButton b, QPoint at) {
        if (b == Qt::RightButton) {
            popup(mnu_Option_, at);
        }
    });

    connect(Picture3_, &PositionBar::pressed, this, [this](double x) {
        SeekX_ = seekXForPress(x);
        focusList();
    });
    connect(Picture3_, &PositionBar::doubleClicked, this, [this] {
        seek();
        focusList();
    });

    connect(mnu_OpenFile_, &QAction::triggered, this, [this] { openFileCommand(); });
    connect(mnu_AddFile_, &QAction::triggered, this, [this] { addFileCommand(); });
    connect(mnu_OpenFolder_, &QAction::triggered, this, [this] { openFolderCommand(); });
    connect(mnu_AddFolder_, &QAction::triggered, this, [this] { addFolderCommand(); });
    for (int i = 0; i < 4; ++i) {
        connect(mnu_Crep_[static_cast<std::size_t>(i)], &QAction::triggered, this,
                [&core, i] { core.repeatCommand(static_cast<std::int16_t>(i)); });
    }
    connect(mnu_Double_, &QAction::triggered, this, [&core] { core.doubleSpeedCommand(); });
    connect(mnu_Hurf_, &QAction::triggered, this, [&core] { core.halfSpeedCommand(); });
    connect(mnu_DevA_, &QAction::triggered, this, [&core] { core.deviceACommand(); });
    connect(mnu_DevB_, &QAction::triggered, this, [&core] { core.deviceBCommand(); });
    connect(mnu_Auto_, &QAction::triggered, this, [&core] { core.autoDeviceCommand(); });
    connect(mnu_TaskTray_, &QAction::triggered, this, [this] { taskTrayCommand(); });
    connect(mnu_Ver_, &QAction::triggered, this, [this] { parts_.windows.showVersion(this); });
    connect(mnu_Exit_, &QAction::triggered, this, [this] { exitCommand(); });
    connect(mnu_Volume_, &QAction::triggered, this, [this] {
        if (parts_.startVolumeControl) {
            parts_.startVolumeControl();
        }
    });
    connect(mnu_Scroll_, &QAction::triggered, this, [&core] { core.scrollCommand(); });
    // Every checkable item shows the core's state, whatever the click did to its mark.
    for (QMenu* menu : {mnu_Repeat_, mnu_Speed_, mnu_Device_, mnu_Option_}) {
        connect(menu, &QMenu::triggered, this, [this] { syncMenus(); });
    }
}

void F_1::connectList() {
    player::Player& core = context_.player;
    SongList_->onPress = [this](int line) { DragFrom_ = static_cast<std::int16_t>(line); };
    SongList_->onLeftRelease = [this](int line) { listLeftReleased(line); };
    SongList_->onRightRelease = [this](QPoint at) { popup(mnu_File_, at); };
    SongList_->onDoubleClick = [this](int line) { listDoubleClicked(line); };
    SongList_->onEnter = [&core](int line) {
        if (core.state().listLast() != -1) {
            core.playEntry(static_cast<std::int16_t>(line));
        }
    };
    SongList_->onCtrlArrow = [this](bool up) { return moveSelected(up); };
    SongList_->onCtrlKey = [this](QKeyEvent* event) { return windowKey(event); };
    SongList_->onDrop = [this](const QStringList& paths) {
        // Taken in once the drag has ended, not inside the drop.
        QMetaObject::invokeMethod(
            this, [this, paths] { dropFiles(paths); }, Qt::QueuedConnection);
    };
}

// Picture buttons ---------------------------------------------------------------------

bool F_1::buttonUsable(int i) const {
    switch (i) {
        case 0:
            return mnu_OpenFile_->isEnabled();
        case 1:
            return context_.player.mainWindow().hasDocument;
        case 2:
            return CanShowInfo_;
        default:
            return true;
    }
}

const QString& F_1::pressedPictureOf(int button) const {
    return img_ButtonC_[static_cast<std::size_t>(button)];
}

void F_1::swapButtonPicture(int i) {
    const auto n = static_cast<std::size_t>(i);
    img_ButtonN_ = img_Button_[n]->picture();
    img_Button_[n]->setPicture(img_ButtonC_[n]);
    img_ButtonC_[n] = img_ButtonN_;
    img_ButtonN_.clear();
}

void F_1::buttonPressed(int i, Qt::MouseButton) {
    const auto n = static_cast<std::size_t>(i);
    if (!buttonUsable(i) || buttonDown_[n]) {
        return;
    }
    buttonDown_[n] = true;
    swapButtonPicture(i);
}

void F_1::buttonReleased(int i, Qt::MouseButton button, QPoint globalPos) {
    const auto n = static_cast<std::size_t>(i);
    if (!buttonUsable(i)) {
        return;
    }
    switch (i) {
        case 0:
            if (button == Qt::LeftButton) {
                openFileCommand();
            } else if (button == Qt::RightButton) {
                popup(mnu_File_, globalPos);
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

void F_1::toggleFileInfo() {
    player::Player& core = context_.player;
    if (core.mainWindow().infoShown) {
        core.setInfoShown(false);
        parts_.windows.closeFileInfo();
        return;
    }
    core.setInfoShown(true);
    parts_.windows.showFileInfo(this, infoWindowPlace(),
                                [this] { context_.player.setInfoShown(false); });
    if (core.state().listLast() != -1) {
        parts_.windows.fillFileInfo(core.currentFileInfo());
    }
}

// List tools ------------------------------------------------------------------------

bool F_1::toolUsable(int i) const {
    const player::Player& core = context_.player;
    return i == 0 ? core.mainWindow().canDelete : core.state().listLast() >= 1;
}

void F_1::toolPressed(int i) {
    if (!toolUsable(i)) {
        return;
    }
    const auto n = static_cast<std::size_t>(i);
    Img_Tool_[n]->setPicture(Img_ToolC_[n]);
    focusList();
}

void F_1::toolReleased(int i) {
    if (!toolUsable(i)) {
        return;
    }
    const int selected = SongList_->selectedLine();
    player::Player& core = context_.player;
    const std::int16_t last = core.state().listLast();
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
                SongList_->selectLine(other);
            }
            break;
        }
        default:
            saveList();
            break;
    }
    const auto n = static_cast<std::size_t>(i);
    Img_Tool_[n]->setPicture(Img_ToolA_[n]);
}

bool F_1::moveSelected(bool up) {
    const int tool = up ? 1 : 2;
    const int selected = SongList_->selectedLine();
    const int target = up ? selected - 1 : selected + 1;
    const std::int16_t last = context_.player.state().listLast();
    const bool moves = toolUsable(tool) && selected >= 0 && target >= 0 && target <= last;
    toolPressed(tool);
    toolReleased(tool);
    return moves;
}

void F_1::saveList() {
    const QString path = parts_.dialogs.SaveListDialog(this, QString::fromUtf8(SaveListTitle));
    if (path.isEmpty()) {
        return;
    }
    const platform::WriteResult written =
        intake::saveMultiList(path, context_.player.state().playList);
    if (!written.ok) {
        context_.interaction.showMessage(
            QStringLiteral("ﾘｽﾄを保存できませんでした。\n") + path + u'\n' + written.error,
            platform::MessageIcon::Critical);
    }
}

void F_1::rewriteLine(int index) {
    const auto& list = context_.player.state().playList;
    if (index >= 0 && static_cast<std::size_t>(index) < list.size()) {
        setLine(index, player::listLine(static_cast<std::int16_t>(index),
                                        list[static_cast<std::size_t>(index)].title));
    }
}

// Transport and labels --------------------------------------------------------------

void F_1::playClicked() {
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

void F_1::menuPressed() {
    focusList();
    const bool useB = context_.settings.useDeviceB;
    mnu_DevB_->setEnabled(useB);
    mnu_Auto_->setEnabled(useB);
    Label4_->setEnabled(useB);
    popup(mnu_Menu_, mapToGlobal(Picture5_->pos()));
}

void F_1::repeatLabelPressed(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        const int next = (context_.player.repeatMode() + 1) % 4;
        context_.player.repeatCommand(static_cast<std::int16_t>(next));
    } else if (button == Qt::RightButton) {
        const QPoint below(Picture1_->x() + lbl_NoRep_->x(),
                           Picture1_->y() + lbl_NoRep_->y() + lbl_NoRep_->height());
        popup(mnu_Repeat_, mapToGlobal(below));
    }
}

void F_1::seek() {
    player::Player& core = context_.player;
    core.seekTo(seekPosition(SeekX_, Picture3_->width() * kTwipsPerPixel, core.songLength()));
}

void F_1::keyPressEvent(QKeyEvent* event) {
    if (isCtrlAlone(event->modifiers()) && windowKey(event)) {
        return;
    }
    QWidget::keyPressEvent(event);
}

bool F_1::windowKey(QKeyEvent* event) {
    if (!isCtrlAlone(event->modifiers())) {
        return false;
    }
    switch (event->key()) {
        case Qt::Key_F:
            openFileCommand();
            return true;
        case Qt::Key_D:
            if (mnu_AddFile_->isEnabled()) {
                addFileCommand();
            }
            return true;
        case Qt::Key_S:
            openFolderCommand();
            return true;
        case Qt::Key_A:
            if (mnu_AddFolder_->isEnabled()) {
                addFolderCommand();
            }
            return true;
        default:
            return false;
    }
}

// Song list -------------------------------------------------------------------------

void F_1::listDoubleClicked(int line) {
    if (context_.player.isIdle() || line != context_.player.state().currentEntry) {
        context_.player.playEntry(static_cast<std::int16_t>(line));
    }
}

void F_1::listLeftReleased(int line) {
    const int from = DragFrom_;
    if (line < 0 || from < 0 || line == from) {
        return;
    }
    context_.player.swapEntries(static_cast<std::int16_t>(from), static_cast<std::int16_t>(line),
                                false);
    rewriteLine(from);
    rewriteLine(line);
    SongList_->selectLine(line);
}

}  // namespace vesk::ui
