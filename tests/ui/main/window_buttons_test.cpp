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

template <typename W = PictureBox>
W* get(PlayerWindow& w, const QString& name) {
    auto* found = w.findChild<W*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}
QString text(PlayerWindow& w, const char* name) {
    return get<SkinLabel>(w, name)->text();
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

// The picture a button shows while pressed, and whether its release did anything.
QString pressedPicture(PictureBox* button) {
    QTest::mousePress(button, Qt::LeftButton);
    const QString picture = button->picture();
    QTest::mouseRelease(button, Qt::LeftButton);
    return picture;
}

TEST(MainWindowButtons, PressedPicturesLastWhileTheCommandRunsAndOtherButtonsDoNothing) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    PictureBox* open = get(w, "img_Button0");
    QTest::mousePress(open, Qt::LeftButton);
    EXPECT_EQ(open->picture(), "button_open_pressed");
    EXPECT_TRUE(rig.dialogs.asked.isEmpty());
    // Released far outside the button: the command runs, its dialog shown under the press.
    QString duringDialog;
    rig.dialogs.onAsk = [&] { duringDialog = open->picture(); };
    QTest::mouseRelease(open, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_EQ(rig.dialogs.asked, QStringList{"open:新しくファイルを開く"});
    EXPECT_EQ(duringDialog, "button_open_pressed");
    EXPECT_EQ(open->picture(), "button_open");
    EXPECT_EQ(pressedPicture(open), "button_open_pressed");

    // Right: the file menu; middle: the press shows but nothing runs.
    QMenu* file = w.findChild<QMenu*>("mnu_File");
    click(open, Qt::RightButton);
    EXPECT_TRUE(file->isVisible());
    closeMenus(w);
    click(open, Qt::MiddleButton);
    EXPECT_FALSE(file->isVisible());
    EXPECT_EQ(rig.dialogs.asked.size(), 2);
    EXPECT_EQ(open->picture(), "button_open");

    // Without a document, or with fewer than two entries, no press shows.
    EXPECT_EQ(pressedPicture(get(w, "img_Button1")), "button_doc");
    EXPECT_EQ(pressedPicture(get(w, "Img_Tool0")), "tool_delete");
    click(get(w, "img_Button3"));
    EXPECT_EQ(rig.optionsShown, 1);
    rig.openSongs(1);
    EXPECT_EQ(pressedPicture(get(w, "Img_Tool1")), "tool_up");
    EXPECT_EQ(pressedPicture(get(w, "Img_Tool2")), "tool_down");
    EXPECT_EQ(pressedPicture(get(w, "Img_Tool3")), "tool_save");
    EXPECT_TRUE(rig.dialogs.asked.filter("save:").isEmpty());
}

TEST(MainWindowButtons, InfoButtonOpensBelowTheWindowFilledForTheSongAndClosesAgain) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    PictureBox* info = get(w, "img_Button2");
    click(info);
    EXPECT_TRUE(rig.windows.infoOpen);
    const QRect frame = w.frameGeometry();
    EXPECT_EQ(rig.windows.infoPlace, QPoint(frame.left(), frame.top() + frame.height()));
    EXPECT_EQ(rig.windows.calls, QStringList{"info-open"});  // nothing to fill in
    click(info);
    EXPECT_FALSE(rig.windows.infoOpen);

    rig.openSongs(2);
    rig.windows.calls.clear();
    click(info);
    EXPECT_EQ(rig.windows.calls, (QStringList{"info-open", "info-fill:ファイル名  s1.mid"}));
    EXPECT_EQ(rig.windows.info.format, "SMFﾌｫｰﾏｯﾄ  0");
}

TEST(MainWindowTransport, AnEmptyListPlaysNothingAndKeepsTheIdleWord) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    for (const char* name : {"B_Play", "B_Stop", "B_Prev", "B_Back", "B_Next"}) {
        click(get(w, name));
    }
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_EQ(text(w, "lbl_Status"), "―――");
    // Songs handed over by a second start are listed, not played; PREV keeps the word.
    rig.song("a.mid", "A");
    w.openCommandLine(rig.songsFolder() + "/a.mid");
    click(get(w, "B_Prev"));
    EXPECT_EQ(text(w, "lbl_Status"), "―――");
}

TEST(MainWindowTransport, EveryMoveToAnotherSongPlaysItAndLeavesPauseWorking) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    auto* list = w.findChild<SongList*>("SongList");
    const auto pausesAgain = [&] {
        click(get(w, "B_Play"));
        return rig.engine.status() == "paused" && text(w, "lbl_Status") == "PAUSE";
    };
    ASSERT_TRUE(pausesAgain());
    click(get(w, "B_Next"));
    EXPECT_EQ(rig.player->state().currentEntry, 1);
    EXPECT_EQ(list->selectedLine(), 1);
    EXPECT_EQ(text(w, "lbl_Status"), "PLAY");
    EXPECT_TRUE(pausesAgain());
    click(get(w, "B_Back"));
    click(get(w, "B_Back"));
    EXPECT_EQ(rig.player->state().currentEntry, 2);
    EXPECT_EQ(w.windowTitle(), "[003/003] Song 3 - VESK MIDI PLAYER");
    EXPECT_TRUE(pausesAgain());
    click(get(w, "B_Play"));  // resumes
    rig.run(1000);
    click(get(w, "B_Prev"));
    EXPECT_LT(rig.engine.nowPos(), 250);
    click(get(w, "B_Stop"));
    EXPECT_EQ(rig.engine.status(), "stopped");
    EXPECT_EQ(text(w, "lbl_Status"), "STOP");
    click(get(w, "B_Next"));
    EXPECT_EQ(text(w, "lbl_Status"), "PLAY");
    EXPECT_TRUE(pausesAgain());
    list->selectLine(2);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(text(w, "lbl_Status"), "PLAY");
    EXPECT_TRUE(pausesAgain());

    // A press let go outside is no click.
    QTest::mousePress(get(w, "B_Next"), Qt::LeftButton);
    QTest::mouseRelease(get(w, "B_Next"), Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_EQ(rig.player->state().currentEntry, 2);
    // Resumed by another road (the engine alone) pause is still off: PLAY does nothing.
    rig.engine.midiPlay();
    click(get(w, "B_Play"));
    EXPECT_EQ(rig.engine.status(), "playing");
}

TEST(MainWindowTransport, ASongThatCannotBeReadShowsItsNameAndNothingPlaying) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.song("good.mid", "Good", 65000);
    rig.dir.write("songs/broken.mid", "MThd");
    rig.dialogs.answers.push_back(rig.selection({"good.mid", "broken.mid"}));
    w.openFileCommand();
    EXPECT_EQ(w.findChild<SongList*>("SongList")->item(1)->text(), "002：broken");
    click(get(w, "B_Next"));
    ASSERT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_NE(rig.engine.status(), "playing");
    EXPECT_EQ(text(w, "lbl_Status"), "STOP");
    EXPECT_EQ(text(w, "lbl_All"), "00:00");
    EXPECT_EQ(w.windowTitle(), "[002/002] broken - VESK MIDI PLAYER");
    // Nothing to pause; the monitor does not move on by itself.
    click(get(w, "B_Play"));
    EXPECT_EQ(text(w, "lbl_Status"), "STOP");
    rig.run(5000);
    EXPECT_EQ(rig.player->state().currentEntry, 1);
    click(get(w, "B_Back"));
    EXPECT_EQ(text(w, "lbl_Status"), "PLAY");
    EXPECT_EQ(text(w, "lbl_All"), "01:05");
}

TEST(MainWindowTransport, DoubleClickOnTheBarSeeksFromThePressThatBeganIt) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.song("long.mid", "Long", 120000);
    rig.dialogs.answers.push_back(rig.selection({"long.mid"}));
    w.openFileCommand();
    auto* bar = get<PositionBar>(w, "Picture3");
    const int x = bar->width() / 2;
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(x, 3));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(x, 3));
    QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(x + 30, 3));
    const std::int64_t expected = std::int64_t{x * 15 + 20} * 120000 / (bar->width() * 15);
    EXPECT_NEAR(rig.engine.nowPos(), expected, 1);
}

TEST(MainWindowLabels, RepeatLabelCyclesAndOpensItsMenuBelowItself) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    SkinLabel* noRep = get<SkinLabel>(w, "lbl_NoRep");
    EXPECT_TRUE(get(w, "Img_Rep")->isHidden());
    const QStringList shown{"1/", "/", "SHUFF/", "/NO REPEAT"};
    for (int i = 0; i < 4; ++i) {
        // A double click is one more press.
        i == 2 ? QTest::mouseDClick(noRep, Qt::LeftButton)
               : QTest::mousePress(noRep, Qt::LeftButton);
        EXPECT_EQ(rig.settings.repeat, (i + 1) % 4);
        EXPECT_EQ(text(w, "lbl_Rep") + "/" + noRep->text(), shown[i]);
        EXPECT_EQ(get(w, "Img_Rep")->isHidden(), i == 3);
    }
    EXPECT_TRUE(get<QAction>(w, "mnu_Crep0")->isChecked());

    QMenu* repeat = w.findChild<QMenu*>("mnu_Repeat");
    QTest::mousePress(noRep, Qt::RightButton);
    ASSERT_TRUE(repeat->isVisible());
    EXPECT_EQ(repeat->pos(), noRep->mapToGlobal(QPoint(0, noRep->height())));
    EXPECT_EQ(rig.settings.repeat, 0);
    get<QAction>(w, "mnu_Crep2")->trigger();
    EXPECT_EQ(rig.settings.repeat, 2);
    EXPECT_FALSE(get<QAction>(w, "mnu_Crep0")->isChecked());
    closeMenus(w);
}

TEST(MainWindowLabels, DeviceLabelsShowAndChooseTheDeviceOnlyWhenBIsInUse) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    SkinLabel* a = get<SkinLabel>(w, "Label3");
    SkinLabel* b = get<SkinLabel>(w, "Label4");
    const QColor black(0, 0, 0);
    const QColor idle(70, 140, 178);
    QTest::mousePress(get<SkinLabel>(w, "B_Menu"), Qt::RightButton);
    closeMenus(w);
    EXPECT_FALSE(b->isEnabled());
    EXPECT_FALSE(get<QAction>(w, "mnu_Auto")->isEnabled());
    QTest::mouseDClick(b, Qt::LeftButton);
    EXPECT_EQ(rig.settings.deviceNumber, "A");

    // The menu label enables device B when the settings use it.
    rig.settings.useDeviceB = true;
    QTest::mousePress(get<SkinLabel>(w, "B_Menu"), Qt::LeftButton);
    QMenu* menu = w.findChild<QMenu*>("mnu_Menu");
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), w.findChild<QWidget*>("Picture5")->mapToGlobal(QPoint(0, 0)));
    closeMenus(w);
    QTest::mouseDClick(b, Qt::LeftButton);
    EXPECT_EQ(a->background(), idle);
    EXPECT_EQ(b->background(), black);
    EXPECT_EQ(rig.settings.deviceNumber, "B");
    EXPECT_TRUE(get<QAction>(w, "mnu_DevB")->isChecked());
    QTest::mouseDClick(a, Qt::LeftButton);
    EXPECT_EQ(a->background(), black);
    EXPECT_EQ(rig.settings.deviceNumber, "A");
    // The automatic choice with no song gives device A; its mark stays on.
    get<QAction>(w, "mnu_Auto")->trigger();
    EXPECT_EQ(rig.settings.deviceNumber, "Auto");
    EXPECT_TRUE(get<QAction>(w, "mnu_Auto")->isChecked());
    EXPECT_FALSE(get<QAction>(w, "mnu_DevA")->isChecked());
    EXPECT_EQ(a->background(), black);
    QTest::mousePress(a, Qt::RightButton);
    EXPECT_TRUE(w.findChild<QMenu*>("mnu_Device")->isVisible());
    closeMenus(w);
}

TEST(MainWindowMenus, SpeedMarksAndTheTimeShownFollowTheSpeedInForce) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(1);
    QAction* twice = get<QAction>(w, "mnu_Double");
    QAction* half = get<QAction>(w, "mnu_Hurf");
    twice->trigger();
    EXPECT_EQ(text(w, "lbl_All"), "00:02");
    half->trigger();
    EXPECT_EQ(rig.engine.bpm(), 60);
    EXPECT_EQ(text(w, "lbl_All"), "00:08");
    EXPECT_TRUE(half->isChecked() && !twice->isChecked());
    twice->trigger();
    twice->trigger();
    EXPECT_EQ(text(w, "lbl_All"), "00:04");
    EXPECT_FALSE(half->isChecked() || twice->isChecked());

    get<QAction>(w, "mnu_Scroll")->trigger();
    EXPECT_FALSE(get<QAction>(w, "mnu_Scroll")->isChecked());
    get<QAction>(w, "mnu_Ver")->trigger();
    EXPECT_TRUE(rig.windows.calls.contains("version"));
    get<QAction>(w, "mnu_Volume")->trigger();
    EXPECT_EQ(rig.volumeStarts, 1);
    QTest::mousePress(get<SkinLabel>(w, "lbl_Title"), Qt::RightButton);
    EXPECT_TRUE(w.findChild<QMenu*>("mnu_Option")->isVisible());
    closeMenus(w);
    for (QAction* a : w.findChildren<QAction*>()) {
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
    }
}

}  // namespace
}  // namespace vesk::ui::test
