// The picture buttons, list tools, transport images, labels and menus of the main window,
// driven with mouse events on the real widgets.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>

#include "ui/main/skin_widgets.h"
#include "ui/main/song_list.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

PictureBox* box(PlayerWindow& w, const QString& name) {
    auto* found = w.findChild<PictureBox*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

SkinLabel* label(PlayerWindow& w, const QString& name) {
    auto* found = w.findChild<SkinLabel*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

QAction* action(PlayerWindow& w, const QString& name) {
    auto* found = w.findChild<QAction*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

void click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(widget, button);
    QTest::mouseRelease(widget, button);
}

void closeMenus(PlayerWindow& w) {
    for (QMenu* menu : w.findChildren<QMenu*>()) {
        menu->hide();
    }
}

TEST(MainWindowButtons, OpenButtonShowsItsPressedPictureUntilTheActionHasRun) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    PictureBox* open = box(w, "img_Button0");
    EXPECT_EQ(open->picture(), "button_open");

    QTest::mousePress(open, Qt::LeftButton);
    EXPECT_EQ(open->picture(), "button_open_pressed");
    EXPECT_TRUE(rig.dialogs.asked.isEmpty());

    // Released far outside the button: the command runs all the same, and its dialog is
    // on screen while the button still looks pressed.
    QString duringDialog;
    rig.dialogs.onAsk = [&] { duringDialog = open->picture(); };
    QTest::mouseRelease(open, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_EQ(rig.dialogs.asked, QStringList{"open:新しくファイルを開く"});
    EXPECT_EQ(duringDialog, "button_open_pressed");
    EXPECT_EQ(open->picture(), "button_open");

    // The pictures swap back and forth on every press, not just the first.
    QTest::mousePress(open, Qt::LeftButton);
    EXPECT_EQ(open->picture(), "button_open_pressed");
    QTest::mouseRelease(open, Qt::LeftButton);
    EXPECT_EQ(open->picture(), "button_open");
}

TEST(MainWindowButtons, RightReleaseOnOpenButtonPopsUpTheFileMenu) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    QMenu* file = w.findChild<QMenu*>("mnu_File");
    ASSERT_NE(file, nullptr);
    click(box(w, "img_Button0"), Qt::RightButton);
    EXPECT_TRUE(file->isVisible());
    EXPECT_TRUE(rig.dialogs.asked.isEmpty());
    EXPECT_EQ(box(w, "img_Button0")->picture(), "button_open");
    closeMenus(w);

    // A middle button shows the press but runs nothing.
    click(box(w, "img_Button0"), Qt::MiddleButton);
    EXPECT_FALSE(file->isVisible());
    EXPECT_TRUE(rig.dialogs.asked.isEmpty());
    EXPECT_EQ(box(w, "img_Button0")->picture(), "button_open");
}

TEST(MainWindowButtons, DocumentButtonDoesNothingWithoutADocument) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    PictureBox* doc = box(w, "img_Button1");
    QTest::mousePress(doc, Qt::LeftButton);
    EXPECT_EQ(doc->picture(), "button_doc");
    QTest::mouseRelease(doc, Qt::LeftButton);
    EXPECT_EQ(doc->picture(), "button_doc");
}

TEST(MainWindowButtons, InfoButtonOpensBelowTheWindowAndClosesOnSecondPress) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    PictureBox* info = box(w, "img_Button2");

    // Empty list: SongInfoWindow opens and closes but nothing is filled in.
    click(info);
    EXPECT_TRUE(rig.windows.infoOpen);
    EXPECT_TRUE(rig.player->mainWindow().infoShown);
    const QRect frame = w.frameGeometry();
    EXPECT_EQ(rig.windows.infoPlace, QPoint(frame.left(), frame.top() + frame.height()));
    EXPECT_EQ(rig.windows.calls, QStringList{"info-open"});
    click(info);
    EXPECT_FALSE(rig.windows.infoOpen);
    EXPECT_FALSE(rig.player->mainWindow().infoShown);

    // With a song loaded it is filled for the current entry.
    rig.openSongs(2);
    rig.windows.calls.clear();
    click(info);
    EXPECT_EQ(rig.windows.calls, (QStringList{"info-open", "info-fill:ファイル名  s1.mid"}));
    EXPECT_EQ(rig.windows.info.format, "SMFﾌｫｰﾏｯﾄ  0");
    EXPECT_EQ(info->picture(), "button_info");
}

TEST(MainWindowButtons, OptionButtonShowsTheOptionsDialog) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    click(box(w, "img_Button3"));
    EXPECT_EQ(rig.optionsShown, 1);
}

TEST(MainWindowTransport, EmptyListLeavesEveryTransportImageWithoutEffect) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    for (const char* name : {"B_Play", "B_Stop", "B_Prev", "B_Back", "B_Next"}) {
        click(box(w, name));
    }
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_EQ(label(w, "lbl_Status")->text(), "―――");
    // Delete and the move tools show no pressed picture either.
    PictureBox* del = box(w, "Img_Tool0");
    QTest::mousePress(del, Qt::LeftButton);
    EXPECT_EQ(del->picture(), "tool_delete");
    QTest::mouseRelease(del, Qt::LeftButton);
}

TEST(MainWindowTransport, OneEntryPlaysPausesStopsButDoesNotMoveOn) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(1);
    ASSERT_EQ(rig.engine.status(), "playing");
    SkinLabel* status = label(w, "lbl_Status");

    click(box(w, "B_Play"));
    EXPECT_EQ(rig.engine.status(), "paused");
    EXPECT_EQ(status->text(), "PAUSE");
    click(box(w, "B_Play"));  // a second click resumes
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(status->text(), "PLAY");

    rig.run(1000);
    click(box(w, "B_Next"));
    click(box(w, "B_Back"));
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_EQ(status->text(), "PLAY");

    click(box(w, "B_Prev"));
    EXPECT_LT(rig.engine.nowPos(), 250);
    click(box(w, "B_Stop"));
    EXPECT_EQ(status->text(), "STOP");
    EXPECT_EQ(rig.engine.status(), "stopped");
    click(box(w, "B_Play"));
    EXPECT_EQ(rig.engine.status(), "playing");

    // The move and save tools need two entries: no pressed picture, nothing asked.
    for (int i = 1; i <= 3; ++i) {
        PictureBox* tool = box(w, QString("Img_Tool%1").arg(i));
        QTest::mousePress(tool, Qt::LeftButton);
        EXPECT_EQ(tool->picture(), tool->objectName() == "Img_Tool3" ? "tool_save"
                                   : i == 1                          ? "tool_up"
                                                                     : "tool_down");
        QTest::mouseRelease(tool, Qt::LeftButton);
    }
    EXPECT_TRUE(rig.dialogs.asked.filter("save:").isEmpty());
}

TEST(MainWindowTransport, SeveralEntriesMoveOnAndBack) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    auto* list = w.findChild<SongList*>("SongList");
    click(box(w, "B_Next"));
    EXPECT_EQ(rig.player->state().currentEntry, 1);
    EXPECT_EQ(list->selectedLine(), 1);
    click(box(w, "B_Back"));
    click(box(w, "B_Back"));
    EXPECT_EQ(rig.player->state().currentEntry, 2);
    EXPECT_EQ(w.windowTitle(), "[003/003] Song 3 - VESK MIDI PLAYER");
    // Pressing without releasing inside is no click.
    QTest::mousePress(box(w, "B_Next"), Qt::LeftButton);
    QTest::mouseRelease(box(w, "B_Next"), Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_EQ(rig.player->state().currentEntry, 2);
}

TEST(MainWindowTransport, EveryMoveToAnotherSongLeavesPauseWorking) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    SkinLabel* status = label(w, "lbl_Status");
    const auto pausesAgain = [&] {
        click(box(w, "B_Play"));
        return rig.engine.status() == "paused" && status->text() == "PAUSE";
    };
    // Paused, then NEXT, BACK, or stopped then NEXT: the new song plays, says so, and the
    // play button pauses it.
    ASSERT_TRUE(pausesAgain());
    click(box(w, "B_Next"));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(status->text(), "PLAY");
    EXPECT_TRUE(pausesAgain());
    click(box(w, "B_Back"));
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_EQ(status->text(), "PLAY");
    EXPECT_TRUE(pausesAgain());
    click(box(w, "B_Stop"));
    click(box(w, "B_Next"));
    EXPECT_EQ(status->text(), "PLAY");
    EXPECT_TRUE(pausesAgain());
    // Enter on a line of the list while paused.
    auto* list = w.findChild<SongList*>("SongList");
    list->selectLine(2);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(rig.player->state().currentEntry, 2);
    EXPECT_EQ(status->text(), "PLAY");
    EXPECT_TRUE(pausesAgain());
}

TEST(MainWindowTransport, APrevBeforeAnyStatusPutsBackTheIdleWord) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.song("a.mid", "A");
    // Songs handed over by a second start are listed, not played.
    w.openCommandLine(rig.songsFolder() + "/a.mid");
    SkinLabel* status = label(w, "lbl_Status");
    ASSERT_EQ(status->text(), "―――");
    click(box(w, "B_Prev"));
    EXPECT_EQ(status->text(), "―――");
}

TEST(MainWindowTransport, ASongThatCannotBeReadShowsItsNameAndNothingPlaying) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.song("good.mid", "Good", 65000);
    rig.dir.write("songs/broken.mid", "MThd");
    rig.dialogs.answers.push_back(rig.selection({"good.mid", "broken.mid"}));
    w.openFileCommand();
    ASSERT_EQ(rig.engine.status(), "playing");
    auto* list = w.findChild<SongList*>("SongList");
    EXPECT_EQ(list->item(1)->text(), "002：broken");

    click(box(w, "B_Next"));
    ASSERT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_NE(rig.engine.status(), "playing");
    EXPECT_EQ(label(w, "lbl_Status")->text(), "STOP");
    EXPECT_EQ(label(w, "lbl_All")->text(), "00:00");
    EXPECT_EQ(label(w, "lbl_Now")->text(), "00:00");
    EXPECT_EQ(w.windowTitle(), "[002/002] broken - VESK MIDI PLAYER");
    EXPECT_EQ(rig.player->mainWindow().titleText, "broken");
    // Nothing to pause; the monitor does not move on by itself.
    click(box(w, "B_Play"));
    EXPECT_EQ(rig.interaction.shown.size(), 2u);
    EXPECT_EQ(label(w, "lbl_Status")->text(), "STOP");
    rig.run(5000);
    EXPECT_EQ(rig.player->state().currentEntry, 1);

    click(box(w, "B_Back"));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(label(w, "lbl_Status")->text(), "PLAY");
    EXPECT_EQ(label(w, "lbl_All")->text(), "01:05");
}

TEST(MainWindowTransport, PlayWhilePlayingPausesOnlyWhenPauseIsAllowed) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);
    click(box(w, "B_Play"));
    ASSERT_EQ(rig.engine.status(), "paused");
    // Resumed by another road (the engine alone): CanPause is still false.
    rig.engine.midiPlay();
    ASSERT_EQ(rig.engine.status(), "playing");
    click(box(w, "B_Play"));
    EXPECT_EQ(rig.engine.status(), "playing");
}

TEST(MainWindowTransport, DoubleClickOnTheBarSeeksFromThePressThatBeganIt) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.song("long.mid", "Long", 120000);
    rig.dialogs.answers.push_back(rig.selection({"long.mid"}));
    w.openFileCommand();
    auto* bar = w.findChild<PositionBar*>("Picture3");
    ASSERT_NE(bar, nullptr);
    const int x = bar->width() / 2;
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(x, 3));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(x, 3));
    // The double click lands 30 pixels further; the seek still follows the press.
    QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(x + 30, 3));
    const std::int32_t expected =
        static_cast<std::int32_t>(std::int64_t{x * 15 + 20} * 120000 / (bar->width() * 15));
    const std::int32_t now = rig.engine.nowPos();
    EXPECT_GE(now, expected - 1);
    EXPECT_LE(now, expected + 1);
    EXPECT_GT(now, 55000);
}

TEST(MainWindowLabels, RepeatLabelCyclesAndOpensItsMenuBelowItself) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    SkinLabel* noRep = label(w, "lbl_NoRep");
    SkinLabel* rep = label(w, "lbl_Rep");
    auto* image = box(w, "Img_Rep");
    EXPECT_EQ(noRep->text(), "NO REPEAT");
    EXPECT_TRUE(image->isHidden());

    QTest::mousePress(noRep, Qt::LeftButton);
    EXPECT_EQ(rig.settings.repeat, 1);
    EXPECT_EQ(rep->text(), "1");
    EXPECT_EQ(noRep->text(), "");
    EXPECT_FALSE(image->isHidden());
    QTest::mousePress(noRep, Qt::LeftButton);
    EXPECT_EQ(rig.settings.repeat, 2);
    EXPECT_EQ(rep->text(), "");
    // A double click is one more press: the mode advances again.
    QTest::mouseDClick(noRep, Qt::LeftButton);
    EXPECT_EQ(rig.settings.repeat, 3);
    EXPECT_EQ(rep->text(), "SHUFF");
    QTest::mousePress(noRep, Qt::LeftButton);
    EXPECT_EQ(rig.settings.repeat, 0);
    EXPECT_EQ(noRep->text(), "NO REPEAT");
    EXPECT_TRUE(action(w, "mnu_Crep0")->isChecked());

    QMenu* repeat = w.findChild<QMenu*>("mnu_Repeat");
    QTest::mousePress(noRep, Qt::RightButton);
    ASSERT_TRUE(repeat->isVisible());
    const QPoint below = noRep->mapToGlobal(QPoint(0, noRep->height()));
    EXPECT_EQ(repeat->pos(), below);
    EXPECT_EQ(rig.settings.repeat, 0);
    action(w, "mnu_Crep2")->trigger();
    EXPECT_EQ(rig.settings.repeat, 2);
    EXPECT_TRUE(action(w, "mnu_Crep2")->isChecked());
    EXPECT_FALSE(action(w, "mnu_Crep0")->isChecked());
    closeMenus(w);
}

TEST(MainWindowLabels, DeviceLabelsShowTheDeviceInUse) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.settings.useDeviceB = true;
    SkinLabel* a = label(w, "Label3");
    SkinLabel* b = label(w, "Label4");
    const QColor black(0, 0, 0);
    const QColor idle(70, 140, 178);
    EXPECT_EQ(a->background(), black);
    EXPECT_EQ(b->background(), idle);
    EXPECT_FALSE(b->isEnabled());

    // The menu label enables device B when the settings use it; a double click then chooses it.
    QTest::mousePress(label(w, "B_Menu"), Qt::LeftButton);
    QMenu* menu = w.findChild<QMenu*>("mnu_Menu");
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), w.findChild<QWidget*>("Picture5")->mapToGlobal(QPoint(0, 0)));
    closeMenus(w);
    EXPECT_TRUE(b->isEnabled());
    EXPECT_TRUE(action(w, "mnu_DevB")->isEnabled());
    QTest::mouseDClick(b, Qt::LeftButton);
    EXPECT_EQ(a->background(), idle);
    EXPECT_EQ(b->background(), black);
    EXPECT_EQ(rig.settings.deviceNumber, "B");
    EXPECT_TRUE(action(w, "mnu_DevB")->isChecked());
    EXPECT_FALSE(action(w, "mnu_DevA")->isChecked());

    QTest::mouseDClick(a, Qt::LeftButton);
    EXPECT_EQ(a->background(), black);
    EXPECT_EQ(b->background(), idle);
    EXPECT_EQ(rig.settings.deviceNumber, "A");

    // The automatic choice with no song gives device A; its mark stays on.
    action(w, "mnu_Auto")->trigger();
    EXPECT_EQ(rig.settings.deviceNumber, "Auto");
    EXPECT_TRUE(action(w, "mnu_Auto")->isChecked());
    EXPECT_FALSE(action(w, "mnu_DevA")->isChecked());
    EXPECT_EQ(a->background(), black);

    // A right press on a device label opens the device menu alone.
    QTest::mousePress(a, Qt::RightButton);
    EXPECT_TRUE(w.findChild<QMenu*>("mnu_Device")->isVisible());
    closeMenus(w);
}

TEST(MainWindowLabels, WithoutDeviceBTheMenuKeepsItsChoicesDisabled) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    QTest::mousePress(label(w, "B_Menu"), Qt::RightButton);
    closeMenus(w);
    EXPECT_FALSE(label(w, "Label4")->isEnabled());
    EXPECT_FALSE(action(w, "mnu_DevB")->isEnabled());
    EXPECT_FALSE(action(w, "mnu_Auto")->isEnabled());
    QTest::mouseDClick(label(w, "Label4"), Qt::LeftButton);
    EXPECT_EQ(rig.settings.deviceNumber, "A");
}

TEST(MainWindowMenus, SpeedCommandsNeverCompound) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(1);
    ASSERT_EQ(rig.engine.bpm(), 120);
    SkinLabel* all = label(w, "lbl_All");
    EXPECT_EQ(all->text(), "00:04");

    action(w, "mnu_Double")->trigger();
    EXPECT_EQ(rig.engine.bpm(), 240);
    EXPECT_EQ(all->text(), "00:02");
    EXPECT_TRUE(action(w, "mnu_Double")->isChecked());
    action(w, "mnu_Hurf")->trigger();
    EXPECT_EQ(rig.engine.bpm(), 60);
    EXPECT_EQ(all->text(), "00:08");
    EXPECT_TRUE(action(w, "mnu_Hurf")->isChecked());
    EXPECT_FALSE(action(w, "mnu_Double")->isChecked());
    action(w, "mnu_Double")->trigger();
    action(w, "mnu_Double")->trigger();
    EXPECT_EQ(rig.engine.bpm(), 120);
    EXPECT_EQ(all->text(), "00:04");
    EXPECT_FALSE(action(w, "mnu_Double")->isChecked());
    EXPECT_FALSE(action(w, "mnu_Hurf")->isChecked());
}

TEST(MainWindowMenus, ScrollVersionVolumeAndShortcutFreeItems) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    action(w, "mnu_Scroll")->trigger();
    EXPECT_FALSE(rig.player->mainWindow().scroll);
    EXPECT_FALSE(action(w, "mnu_Scroll")->isChecked());
    action(w, "mnu_Ver")->trigger();
    EXPECT_TRUE(rig.windows.calls.contains("version"));
    action(w, "mnu_Volume")->trigger();
    EXPECT_EQ(rig.volumeStarts, 1);
    // The title line opens the tools menu.
    QTest::mousePress(label(w, "lbl_Title"), Qt::RightButton);
    EXPECT_TRUE(w.findChild<QMenu*>("mnu_Option")->isVisible());
    closeMenus(w);
    for (QAction* a : w.findChildren<QAction*>()) {
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
    }
}

}  // namespace
}  // namespace vesk::ui::test
