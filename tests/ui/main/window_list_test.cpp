// The song list: drag-swap, the move keys, Enter, double clicks, the window's keys and
// files dropped from the desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "player/play_list.h"
#include "ui/main/skin_widgets.h"
#include "ui/main/song_list.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

SongList* listOf(PlayerWindow& w) {
    auto* list = w.findChild<SongList*>("SongList");
    EXPECT_NE(list, nullptr);
    return list;
}

QPoint lineCentre(SongList* list, int line) {
    return list->visualItemRect(list->item(line)).center();
}

// A press on one line, the pointer dragged with the button held, a release on another.
void drag(SongList* list, int from, int to) {
    QWidget* view = list->viewport();
    QTest::mousePress(view, Qt::LeftButton, {}, lineCentre(list, from));
    QTest::mouseMove(view, lineCentre(list, (from + to) / 2));
    QTest::mouseMove(view, lineCentre(list, to));
    QTest::mouseRelease(view, Qt::LeftButton, {}, lineCentre(list, to));
}

QStringList lines(SongList* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        out.append(list->item(i)->text());
    }
    return out;
}

TEST(SongListMouse, DragSwapsTwoEntriesAndLeavesTheOnesBetween) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(7);
    SongList* list = listOf(w);
    ASSERT_EQ(list->count(), 7);

    drag(list, 2, 5);
    EXPECT_EQ(rig.titles(),
              (QStringList{"Song 1", "Song 2", "Song 6", "Song 4", "Song 5", "Song 3", "Song 7"}));
    EXPECT_EQ(list->item(2)->text(), "003：Song 6");
    EXPECT_EQ(list->item(5)->text(), "006：Song 3");
    EXPECT_EQ(list->selectedLine(), 5);

    // Pressed and released on the same line: nothing changes.
    drag(list, 3, 3);
    EXPECT_EQ(rig.titles()[3], "Song 4");

    // Moving the current song carries the current entry and the caption's counter along.
    ASSERT_EQ(rig.player->state().currentEntry, 0);
    drag(list, 0, 6);
    EXPECT_EQ(rig.player->state().currentEntry, 6);
    EXPECT_EQ(w.windowTitle(), "[007/007] Song 1 - VESK MIDI PLAYER");
}

TEST(SongListMouse, DoubleClickPlaysAnotherLineButNeverRestartsThePlayingSong) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    SongList* list = listOf(w);
    rig.run(1000);
    const std::int32_t playedTo = rig.engine.nowPos();
    ASSERT_GE(playedTo, 750);

    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, lineCentre(list, 0));
    EXPECT_EQ(rig.engine.nowPos(), playedTo);
    EXPECT_TRUE(rig.engine.fileName().endsWith("s1.mid"));

    // Stopped, the same song plays again from the start.
    rig.player->transportStop();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, lineCentre(list, 0));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_LT(rig.engine.nowPos(), 250);

    list->selectLine(2);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, lineCentre(list, 2));
    EXPECT_EQ(rig.player->state().currentEntry, 2);
    EXPECT_TRUE(rig.engine.fileName().endsWith("s3.mid"));
}

TEST(SongListMouse, RightReleaseOpensTheFileMenuAtThePointer) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    SongList* list = listOf(w);
    QMenu* file = w.findChild<QMenu*>("mnu_File");
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_FALSE(file->isVisible());
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_TRUE(file->isVisible());
    EXPECT_EQ(file->pos(), list->viewport()->mapToGlobal(QPoint(20, 20)));
    file->hide();
}

TEST(SongListKeys, CtrlUpAndDownKeepTheSelectionOnTheMovedEntry) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(4);
    SongList* list = listOf(w);
    list->setFocus();

    list->selectLine(1);
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(rig.titles(), (QStringList{"Song 2", "Song 1", "Song 3", "Song 4"}));
    EXPECT_EQ(list->selectedLine(), 0);
    EXPECT_EQ(lines(list)[0], "001：Song 2");
    EXPECT_EQ(w.findChild<PictureBox*>("Img_Tool1")->picture(), "tool_up");

    // At the top already: the list is left as it is and the selection stays.
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(rig.titles()[0], "Song 2");
    EXPECT_EQ(list->selectedLine(), 0);

    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Song 3", "Song 2", "Song 4"}));
    EXPECT_EQ(list->selectedLine(), 2);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(rig.titles()[3], "Song 2");
    EXPECT_EQ(list->selectedLine(), 3);

    // Plain arrows only move the selection.
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->selectedLine(), 2);
    EXPECT_EQ(rig.titles()[3], "Song 2");
}

TEST(SongListKeys, MoveToolsByMouseSwapAndSelectTheNeighbour) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    SongList* list = listOf(w);
    auto* up = w.findChild<PictureBox*>("Img_Tool1");
    auto* down = w.findChild<PictureBox*>("Img_Tool2");

    list->selectLine(2);
    QTest::mousePress(up, Qt::LeftButton);
    EXPECT_EQ(up->picture(), "tool_up_pressed");
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_EQ(up->picture(), "tool_up");
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Song 3", "Song 2"}));
    EXPECT_EQ(list->selectedLine(), 1);

    // No selection: nothing moves.
    list->selectLine(-1);
    QTest::mousePress(down, Qt::LeftButton);
    QTest::mouseRelease(down, Qt::LeftButton);
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Song 3", "Song 2"}));
}

TEST(SongListKeys, DeleteToolRemovesTheSelectedEntry) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    SongList* list = listOf(w);
    auto* del = w.findChild<PictureBox*>("Img_Tool0");
    list->selectLine(1);
    QTest::mousePress(del, Qt::LeftButton);
    EXPECT_EQ(del->picture(), "tool_delete_pressed");
    QTest::mouseRelease(del, Qt::LeftButton);
    EXPECT_EQ(del->picture(), "tool_delete");
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Song 3"}));
    EXPECT_EQ(lines(list), (QStringList{"001：Song 1", "002：Song 3"}));
}

TEST(SongListKeys, EnterPlaysTheSelectedLineAndNothingWithoutSelection) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    SongList* list = listOf(w);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);

    rig.openSongs(3);
    list->selectLine(2);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(rig.player->state().currentEntry, 2);
    EXPECT_TRUE(rig.engine.fileName().endsWith("s3.mid"));

    list->selectLine(-1);
    QTest::keyClick(list, Qt::Key_Enter);
    EXPECT_EQ(rig.player->state().currentEntry, 2);
    EXPECT_TRUE(rig.engine.fileName().endsWith("s3.mid"));
}

TEST(WindowKeys, OpenKeysAlwaysWorkAddKeysOnlyAfterTheFirstList) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    SongList* list = listOf(w);
    EXPECT_FALSE(w.addCommandsEnabled());

    QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_F);
    EXPECT_TRUE(rig.dialogs.asked.isEmpty());

    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(rig.dialogs.asked,
              (QStringList{"open:新しくファイルを開く",
                           "folder:MIDIデータのあるフォルダを選択してください"}));

    // Both cancelled: still no list, still no add commands.
    EXPECT_FALSE(w.addCommandsEnabled());
    rig.dialogs.asked.clear();
    rig.openSongs(1);
    EXPECT_TRUE(w.addCommandsEnabled());
    rig.dialogs.asked.clear();
    QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(
        rig.dialogs.asked,
        (QStringList{"open:ファイルを追加", "folder:MIDIデータのあるフォルダを選択してください"}));

    // The window's own handler takes the same keys when nothing else has the focus.
    rig.dialogs.asked.clear();
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(rig.dialogs.asked, QStringList{"open:新しくファイルを開く"});
}

QMimeData* fileUrls(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths) {
        urls.append(QUrl::fromLocalFile(p));
    }
    data->setUrls(urls);
    return data;
}

void dropOn(SongList* list, const QStringList& paths) {
    std::unique_ptr<QMimeData> data(fileUrls(paths));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    ASSERT_TRUE(drop.isAccepted());
    // The files are taken in once the drop has returned.
    QCoreApplication::processEvents();
}

TEST(SongListDrop, SeveralFilesOnAnEmptyListAreTakenInAndTheFirstPlays) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    const QString a = rig.song("a.mid", "Alpha");
    const QString b = rig.song("b.mid", "Beta");
    rig.dir.write("songs/notes.txt", "text");
    const QString c = rig.song("c.mid", "Gamma");
    dropOn(listOf(w), {a, b, rig.songsFolder() + "/notes.txt", c});

    EXPECT_EQ(rig.titles(), (QStringList{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(rig.interaction.shown.size(), 1u);  // the unsupported text file
    EXPECT_EQ(rig.windows.progressNames, (QStringList{"a.mid", "b.mid", "c.mid"}));
    EXPECT_FALSE(rig.windows.progressOpen);
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_TRUE(rig.engine.fileName().endsWith("a.mid"));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(listOf(w)->selectedLine(), 0);
    EXPECT_TRUE(w.addCommandsEnabled());
}

TEST(SongListDrop, FilesOnAListAreAppendedAndTheSongGoesOn) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);
    rig.run(500);
    const std::int32_t before = rig.engine.nowPos();
    const QString x = rig.song("x.mid", "Extra");
    const QString y = rig.song("y.mid", "Why");
    dropOn(listOf(w), {x, y});

    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Song 2", "Extra", "Why"}));
    EXPECT_EQ(lines(listOf(w)).last(), "004：Why");
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.engine.nowPos(), before);
    EXPECT_EQ(w.windowTitle(), "[001/004] Song 1 - VESK MIDI PLAYER");
}

TEST(SongListDrop, NothingUsableOnAnEmptyListStillEnablesTheAddCommands) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.dir.write("songs/readme.txt", "text");
    dropOn(listOf(w), {rig.songsFolder() + "/readme.txt"});
    EXPECT_TRUE(rig.titles().isEmpty());
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_TRUE(w.addCommandsEnabled());
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_Title")->text(), "VESK MIDI PLAYER Ver 1.0");
}

TEST(SongListDrop, OnlyLocalFilesAreAccepted) {
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.mid")});
    EXPECT_TRUE(SongList::droppedPaths(&web).isEmpty());
    QMimeData text;
    text.setText("/m/a.mid");
    EXPECT_TRUE(SongList::droppedPaths(&text).isEmpty());
    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile("/m/songs/"), QUrl::fromLocalFile("/m/b.mid")});
    EXPECT_EQ(SongList::droppedPaths(&folder), (QStringList{"/m/songs", "/m/b.mid"}));
}

}  // namespace
}  // namespace vesk::ui::test
