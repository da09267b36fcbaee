// The song list: drag-swap, the move keys and tools, Enter, double clicks, the window's keys
// and files dropped from the desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "ui/main/skin_widgets.h"
#include "ui/main/song_list.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

SongList* listOf(PlayerWindow& w) {
    return w.findChild<SongList*>("SongList");
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

TEST(SongListMouse, DragSwapsTwoEntriesAndTheCurrentSongKeepsItsCaption) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(7);
    SongList* list = listOf(w);
    drag(list, 2, 5);
    EXPECT_EQ(rig.titles(),
              (QStringList{"Song 1", "Song 2", "Song 6", "Song 4", "Song 5", "Song 3", "Song 7"}));
    EXPECT_EQ(list->item(2)->text(), "003：Song 6");
    EXPECT_EQ(list->item(5)->text(), "006：Song 3");
    EXPECT_EQ(list->selectedLine(), 5);
    drag(list, 3, 3);
    EXPECT_EQ(rig.titles()[3], "Song 4");
    drag(list, 0, 6);
    EXPECT_EQ(rig.player->state().currentEntry, 6);
    EXPECT_EQ(w.windowTitle(), "[007/007] Song 1 - VESK MIDI PLAYER");

    // A right release opens the file menu at the pointer.
    QMenu* file = w.findChild<QMenu*>("mnu_File");
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_FALSE(file->isVisible());
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_TRUE(file->isVisible());
    EXPECT_EQ(file->pos(), list->viewport()->mapToGlobal(QPoint(20, 20)));
    file->hide();
}

TEST(SongListMouse, DoubleClickAndEnterPlayALineButNeverRestartThePlayingSong) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    SongList* list = listOf(w);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    rig.openSongs(3);
    rig.run(1000);
    const std::int32_t playedTo = rig.engine.nowPos();
    ASSERT_GE(playedTo, 750);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, lineCentre(list, 0));
    EXPECT_EQ(rig.engine.nowPos(), playedTo);
    // Stopped, the same song plays again from the start.
    rig.player->transportStop();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, lineCentre(list, 0));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_LT(rig.engine.nowPos(), 250);
    list->selectLine(1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, lineCentre(list, 1));
    EXPECT_TRUE(rig.engine.fileName().endsWith("s2.mid"));
    list->selectLine(2);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(rig.engine.fileName().endsWith("s3.mid"));
    list->selectLine(-1);
    QTest::keyClick(list, Qt::Key_Enter);
    EXPECT_EQ(rig.player->state().currentEntry, 2);
}

TEST(SongListKeys, MoveKeysAndToolsSwapWithTheNeighbourAndDeleteRemoves) {
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
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);  // at the top already
    EXPECT_EQ(rig.titles()[0], "Song 2");
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    }
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Song 3", "Song 4", "Song 2"}));
    EXPECT_EQ(list->selectedLine(), 3);
    QTest::keyClick(list, Qt::Key_Up);  // plain arrows only move the selection
    EXPECT_EQ(list->selectedLine(), 2);
    EXPECT_EQ(rig.titles()[3], "Song 2");

    QTest::mouseClick(w.findChild<PictureBox*>("Img_Tool1"), Qt::LeftButton);
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Song 4", "Song 3", "Song 2"}));
    EXPECT_EQ(list->selectedLine(), 1);
    auto* down = w.findChild<PictureBox*>("Img_Tool2");
    list->selectLine(-1);  // no selection: nothing moves
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(rig.titles()[1], "Song 4");

    list->selectLine(1);
    QTest::mouseClick(w.findChild<PictureBox*>("Img_Tool0"), Qt::LeftButton);
    EXPECT_EQ(lines(list), (QStringList{"001：Song 1", "002：Song 3", "003：Song 2"}));
}

TEST(WindowKeys, OpenKeysAlwaysWorkAddKeysOnlyAfterTheFirstList) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    SongList* list = listOf(w);
    const auto keys = [&](QWidget* target) {
        rig.dialogs.asked.clear();
        QTest::keyClick(target, Qt::Key_D, Qt::ControlModifier);
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(target, Qt::Key_F);
        QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(target, Qt::Key_S, Qt::ControlModifier);
        return rig.dialogs.asked;
    };
    const QString open = "open:新しくファイルを開く";
    const QString folder = "folder:MIDIデータのあるフォルダを選択してください";
    EXPECT_EQ(keys(list), (QStringList{open, folder}));
    EXPECT_FALSE(addCommandsOn(w));  // both cancelled
    rig.openSongs(1);
    EXPECT_EQ(keys(list), (QStringList{"open:ファイルを追加", folder, open, folder}));
    // The window's own handler takes the same keys when nothing else has the focus.
    EXPECT_EQ(keys(&w), (QStringList{"open:ファイルを追加", folder, open, folder}));
}

void dropOn(SongList* list, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) {
        urls.append(QUrl::fromLocalFile(p));
    }
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    ASSERT_TRUE(drop.isAccepted());
    // The files are taken in once the drop has returned.
    QCoreApplication::processEvents();
}

TEST(SongListDrop, FilesOnAnEmptyListPlayTheFirstOnAListTheyAreAppended) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    const QString notes = rig.dir.write("songs/notes.txt", "text");
    dropOn(listOf(w), {notes});
    EXPECT_TRUE(rig.titles().isEmpty());
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_TRUE(addCommandsOn(w));
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_Title")->text(), "VESK MIDI PLAYER Ver 1.0");

    const QString a = rig.song("a.mid", "Alpha");
    const QString b = rig.song("b.mid", "Beta");
    dropOn(listOf(w), {a, notes, b});
    EXPECT_EQ(rig.titles(), (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(rig.interaction.shown.size(), 2u);  // the unsupported text file, twice
    EXPECT_EQ(rig.windows.progressNames, (QStringList{"a.mid", "b.mid"}));
    EXPECT_FALSE(rig.windows.progressOpen);
    EXPECT_TRUE(rig.engine.fileName().endsWith("a.mid"));
    EXPECT_EQ(listOf(w)->selectedLine(), 0);

    rig.run(500);
    const std::int32_t before = rig.engine.nowPos();
    dropOn(listOf(w), {rig.song("x.mid", "Extra"), rig.song("y.mid", "Why")});
    EXPECT_EQ(lines(listOf(w)).last(), "004：Why");
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.engine.nowPos(), before);
    EXPECT_EQ(w.windowTitle(), "[001/004] Alpha - VESK MIDI PLAYER");
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
