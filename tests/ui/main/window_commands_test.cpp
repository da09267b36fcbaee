// The open and add commands, command-line texts, the configuration at load and quit, and
// the way into tray mode.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTest>

#include "config/config_file.h"
#include "platform/handoff.h"
#include "ui/main/skin_widgets.h"
#include "ui/main/song_list.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

const QChar Nul(u'\0');

QString titleLine(PlayerWindow& w) {
    return w.findChild<SkinLabel*>("lbl_Title")->text();
}

TEST(OpenCommands, CancelledDialogChangesNothing) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);
    const QString inWork = rig.dir.write("work/converted.mid", "x");
    rig.run(500);
    const std::int32_t before = rig.engine.nowPos();

    rig.windows.calls.clear();
    w.openFileCommand();  // no answer prepared: cancelled
    w.openFolderCommand();
    EXPECT_EQ(rig.titles().size(), 2);
    EXPECT_TRUE(QFile::exists(inWork));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.engine.nowPos(), before);
    EXPECT_TRUE(rig.windows.calls.isEmpty());
}

TEST(OpenCommands, OpenReplacesTheListEmptiesTheWorkFolderAndPlaysTheFirst) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    rig.player->transportNext();
    const QString inWork = rig.dir.write("work/old.mid", "x");
    const QString handoffKept = rig.module.handoffFolder;

    const QString n1 = rig.dir.write("new/n1.mid", songBytes("New 1"));
    rig.dir.write("new/n2.mid", songBytes("New 2"));
    rig.dialogs.answers.push_back(rig.dir.path() + "/new" + Nul + "n1.mid" + Nul + "n2.mid");
    rig.windows.calls.clear();
    // While the files are taken in: the wait pointer, "Now Loading..." at its start, the
    // old song already closed and the old list gone.
    QString titleMeanwhile;
    int leftMeanwhile = -1;
    bool waitMeanwhile = false;
    int commandMeanwhile = -1;
    std::size_t entriesMeanwhile = 99;
    rig.windows.onProgress = [&](QWidget*) {
        auto* title = w.findChild<SkinLabel*>("lbl_Title");
        titleMeanwhile = title->text();
        leftMeanwhile = title->x();
        waitMeanwhile = QApplication::overrideCursor() != nullptr &&
                        QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        commandMeanwhile = rig.engine.lastCommand();
        entriesMeanwhile = rig.player->state().playList.size();
    };
    w.openFileCommand();
    EXPECT_EQ(titleMeanwhile, "Now Loading...");
    EXPECT_EQ(leftMeanwhile, player::kTitleStartLeft);
    EXPECT_TRUE(waitMeanwhile);
    EXPECT_EQ(commandMeanwhile, engine::kSessionClosed);
    EXPECT_EQ(entriesMeanwhile, 0u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    EXPECT_EQ(rig.titles(), (QStringList{"New 1", "New 2"}));
    EXPECT_FALSE(QFile::exists(inWork));
    EXPECT_TRUE(QDir(handoffKept).exists());
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_EQ(rig.engine.fileName(), n1);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(w.findChild<SongList*>("SongList")->count(), 2);
    EXPECT_EQ(w.findChild<SongList*>("SongList")->selectedLine(), 0);
    EXPECT_EQ(w.windowTitle(), "[001/002] New 1 - VESK MIDI PLAYER");
    EXPECT_EQ(titleLine(w), "New 1");
    EXPECT_EQ(rig.windows.calls, (QStringList{"progress-open", "progress-close"}));
    EXPECT_EQ(rig.settings.lastFile, QString()) << "the scripted dialog leaves LFile alone";
}

TEST(OpenCommands, OpenFolderScansTheChosenFolder) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.song("b.mid", "Bee");
    rig.song("a.mid", "Ay");
    rig.dialogs.answers.push_back(rig.songsFolder());
    w.openFolderCommand();
    EXPECT_EQ(rig.titles(), (QStringList{"Ay", "Bee"}));
    EXPECT_EQ(rig.player->state().playList[0].container, rig.songsFolder());
    EXPECT_TRUE(w.addCommandsEnabled());

    // A folder with nothing playable: the message, an empty list, nothing playing.
    rig.dir.write("empty/readme.txt", "x");
    rig.dialogs.answers.push_back(rig.dir.path() + "/empty");
    w.openFolderCommand();
    EXPECT_TRUE(rig.titles().isEmpty());
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    ASSERT_FALSE(rig.interaction.shown.empty());
    EXPECT_EQ(rig.interaction.shown.back().text, "このﾌｫﾙﾀﾞには対応したﾌｧｲﾙが存在しません");
    EXPECT_EQ(titleLine(w), "VESK MIDI PLAYER Ver 1.0");
}

TEST(AddCommands, AppendWithoutTouchingPlaybackAndReshuffleOverTheWholeList) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);
    rig.player->repeatCommand(3);
    rig.run(500);
    const std::int32_t before = rig.engine.nowPos();
    const QString inWork = rig.dir.write("work/keep.mid", "x");

    rig.song("x.mid", "Extra");
    rig.dialogs.answers.push_back(rig.selection({"x.mid"}));
    w.addFileCommand();
    EXPECT_EQ(rig.dialogs.asked.last(), "open:ファイルを追加");
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Song 2", "Extra"}));
    EXPECT_EQ(rig.engine.nowPos(), before);
    EXPECT_TRUE(QFile::exists(inWork));
    EXPECT_EQ(w.windowTitle(), "[001/003] Song 1 - VESK MIDI PLAYER");
    std::vector<std::int16_t> order = rig.player->state().shuffleOrder;
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (std::vector<std::int16_t>{0, 1, 2}));

    rig.dir.write("more/m.mid", songBytes("More"));
    rig.dialogs.answers.push_back(rig.dir.path() + "/more");
    w.addFolderCommand();
    EXPECT_EQ(rig.titles().last(), "More");
    EXPECT_EQ(rig.player->state().shuffleOrder.size(), 4u);
    EXPECT_EQ(w.findChild<SongList*>("SongList")->item(3)->text(), "004：More");
    EXPECT_EQ(rig.engine.status(), "playing");
}

TEST(CommandLine, QuotedSpacedAndEmptyTexts) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    const QString spaced = rig.dir.write("my songs/a b.mid", songBytes("Spaced"));
    w.openCommandLine(QString());
    EXPECT_FALSE(w.addCommandsEnabled());
    EXPECT_TRUE(rig.titles().isEmpty());

    w.openCommandLine('"' + spaced + '"');
    EXPECT_EQ(rig.titles(), QStringList{"Spaced"});
    EXPECT_TRUE(w.addCommandsEnabled());
    // Nothing is played and no progress window is shown.
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_TRUE(rig.windows.calls.isEmpty());

    rig.song("p.mid", "P");
    rig.song("q.mid", "Q");
    w.openCommandLine(rig.songsFolder() + "/p.mid " + rig.songsFolder() + "/q.mid");
    EXPECT_EQ(rig.titles(), (QStringList{"Spaced", "P", "Q"}));
    EXPECT_EQ(w.findChild<SongList*>("SongList")->count(), 3);
}

TEST(CommandLine, StartUpOpensEachTextAndPlaysTheFirstEntry) {
    WindowRig rig;
    const QString a = rig.song("a.mid", "Ay");
    const QString b = rig.song("b.mid", "Bee");
    rig.module.commandText = QStringList{'"' + a + '"', '"' + b + '"'};
    PlayerWindow& w = rig.open();
    ASSERT_TRUE(rig.loaded);
    EXPECT_EQ(rig.titles(), (QStringList{"Ay", "Bee"}));
    EXPECT_EQ(rig.engine.fileName(), a);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(w.findChild<SongList*>("SongList")->selectedLine(), 0);
    EXPECT_TRUE(rig.module.commandText.isEmpty());
    EXPECT_TRUE(w.addCommandsEnabled());
}

TEST(CommandLine, HandedOverTextOnlyExtendsTheList) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(1);
    const QString later = rig.song("later.mid", "Later");
    ASSERT_FALSE(platform::writeHandoffFile(rig.module.handoffFolder, '"' + later + '"',
                                            platform::systemHandoffClock())
                     .isEmpty());
    rig.run(250);
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Later"}));
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_EQ(w.windowTitle(), "[001/002] Song 1 - VESK MIDI PLAYER");
}

TEST(SaveListTool, WritesTheListOrNothingWhenCancelled) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);
    auto* save = w.findChild<PictureBox*>("Img_Tool3");
    QTest::mousePress(save, Qt::LeftButton);
    EXPECT_EQ(save->picture(), "tool_save_pressed");
    QTest::mouseRelease(save, Qt::LeftButton);
    EXPECT_EQ(rig.dialogs.asked.last(), "save:ﾘｽﾄの保存");
    EXPECT_EQ(save->picture(), "tool_save");

    const QString target = rig.dir.file("list.mlt");
    rig.dialogs.answers.push_back(target);
    QTest::mousePress(save, Qt::LeftButton);
    QTest::mouseRelease(save, Qt::LeftButton);
    const QByteArray text = vesk::test::readAll(target);
    EXPECT_TRUE(text.startsWith("MultiListFile"));
    EXPECT_TRUE(text.contains("s1.mid"));
    EXPECT_TRUE(text.contains("s2.mid"));
    EXPECT_TRUE(text.endsWith("\r\n"));

    // A place that cannot be written is reported.
    rig.dialogs.answers.push_back(rig.dir.file("no/such/folder/x.mlt"));
    rig.dir.write("no", "a file where a folder should be");
    QTest::mousePress(save, Qt::LeftButton);
    QTest::mouseRelease(save, Qt::LeftButton);
    ASSERT_FALSE(rig.interaction.shown.empty());
    EXPECT_TRUE(rig.interaction.shown.back().text.startsWith("ﾘｽﾄを保存できませんでした。"));
}

TEST(Configuration, InvalidFileEndsTheLoadWithTheMessage) {
    WindowRig rig;
    rig.dir.write("program/vmidi.ini", "[vesk midi init file]\r\nREPEAT=2\r\n");
    rig.open();
    EXPECT_FALSE(rig.loaded);
    ASSERT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_EQ(rig.interaction.shown[0].text, "設定ファイルが不正です。異常終了します。");
    EXPECT_EQ(rig.interaction.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(rig.synthesizerApplied, 0);
    EXPECT_EQ(vesk::test::readAll(rig.module.configPath), "[vesk midi init file]\r\nREPEAT=2\r\n");
}

TEST(Configuration, LoadAppliesRepeatDevicePlaceAndSynthesizer) {
    WindowRig rig;
    rig.dir.write("program/vmidi.ini",
                  "[VESK MIDI INIT FILE]\r\nTOP=1500\r\nLEFT=3000\r\nREPEAT=3\r\nUSEB=1\r\n"
                  "KEYCHECK=0\r\nDEVICENUMBER=B\r\n");
    PlayerWindow& w = rig.open();
    ASSERT_TRUE(rig.loaded);
    EXPECT_EQ(w.pos(), QPoint(200, 100));
    EXPECT_EQ(rig.settings.top, 1500);
    EXPECT_EQ(rig.settings.left, 3000);
    EXPECT_EQ(rig.settings.repeat, 3);
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_Rep")->text(), "SHUFF");
    EXPECT_TRUE(w.findChild<QAction*>("mnu_Crep3")->isChecked());
    EXPECT_EQ(w.findChild<SkinLabel*>("Label4")->background(), QColor(0, 0, 0));
    EXPECT_EQ(w.findChild<SkinLabel*>("Label3")->background(), QColor(70, 140, 178));
    EXPECT_TRUE(rig.settings.keyCheck);
    EXPECT_EQ(rig.settings.deviceNumber, "B");
    EXPECT_EQ(rig.synthesizerApplied, 1);
    EXPECT_EQ(w.windowTitle(), "VESK MIDI PLAYER");
    EXPECT_EQ(titleLine(w), "VESK MIDI PLAYER Ver 1.0");
}

TEST(Configuration, KeyCheckAfterTheDeviceLineSurvivesTheDeviceCommand) {
    WindowRig rig;
    rig.dir.write("program/vmidi.ini", "[VESK MIDI INIT FILE]\r\nDEVICENUMBER=B\r\nKEYCHECK=0\r\n");
    rig.open();
    ASSERT_TRUE(rig.loaded);
    EXPECT_EQ(rig.settings.deviceNumber, "B");
    EXPECT_FALSE(rig.settings.keyCheck);
}

TEST(Configuration, MissingFileGivesDefaultsAndDeviceA) {
    WindowRig rig;
    rig.settings.repeat = 2;
    PlayerWindow& w = rig.open();
    ASSERT_TRUE(rig.loaded);
    EXPECT_EQ(rig.settings.repeat, 0);
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_NoRep")->text(), "NO REPEAT");
    EXPECT_EQ(rig.settings.deviceNumber, "A");
    EXPECT_EQ(w.pos(), QPoint(133, 133));
}

TEST(Closing, QuitClosesTheSequencerAndWritesTheConfigurationOnce) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(1);
    rig.settings.lastFile = "/songs/last";
    w.findChild<QAction*>("mnu_Exit")->trigger();
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_EQ(rig.quits, 1);
    EXPECT_TRUE(rig.windows.calls.contains("close-all"));
    const config::ConfigLoad saved = config::loadConfigFile(rig.module.configPath);
    ASSERT_TRUE(saved.exists);
    EXPECT_EQ(saved.read.settings.lastFile, "/songs/last");
    EXPECT_EQ(saved.read.top, w.y() * 15.0);

    // A second close request writes nothing more.
    QFile::remove(rig.module.configPath);
    w.close();
    EXPECT_FALSE(QFile::exists(rig.module.configPath));
}

TEST(Closing, TrayModeKeepsPlayingAndWritesNothing) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);
    QTest::mousePress(w.findChild<PictureBox*>("img_Button2"), Qt::LeftButton);
    QTest::mouseRelease(w.findChild<PictureBox*>("img_Button2"), Qt::LeftButton);
    ASSERT_TRUE(rig.windows.infoOpen);

    w.findChild<QAction*>("mnu_TaskTray")->trigger();
    EXPECT_TRUE(rig.module.mainReload);
    EXPECT_EQ(rig.trayEntered, 1);
    // The tray window closes the main window.
    w.closeWindow();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(rig.windows.infoOpen);
    EXPECT_FALSE(rig.player->mainWindow().infoShown);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.quits, 0);
    EXPECT_FALSE(QFile::exists(rig.module.configPath));

    // Back from the tray: no configuration read, the list and the song in progress.
    rig.dir.write("program/vmidi.ini", "broken");
    ASSERT_TRUE(w.load());
    EXPECT_TRUE(rig.interaction.shown.empty());
    EXPECT_EQ(w.findChild<SongList*>("SongList")->count(), 2);
    EXPECT_EQ(w.windowTitle(), "[001/002] Song 1 - VESK MIDI PLAYER");
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_Status")->text(), "PLAY");
    EXPECT_FALSE(w.addCommandsEnabled());
    rig.module.mainReload = false;
    w.closeWindow();
    EXPECT_EQ(rig.quits, 1);
    EXPECT_TRUE(vesk::test::readAll(rig.module.configPath).startsWith("[VESK MIDI INIT FILE]"));
}

TEST(Closing, AFreshWindowBackFromTheTrayShowsTheRepeatModeInForce) {
    WindowRig rig;
    PlayerWindow& first = rig.open();
    rig.openSongs(2);
    first.findChild<QAction*>("mnu_Crep2")->trigger();
    first.findChild<QAction*>("mnu_TaskTray")->trigger();
    first.closeWindow();

    // The tray builds a new main window to come back to.
    PlayerWindow& back = rig.open();
    ASSERT_TRUE(rig.loaded);
    EXPECT_EQ(back.findChild<SkinLabel*>("lbl_Rep")->text(), "");
    EXPECT_EQ(back.findChild<SkinLabel*>("lbl_NoRep")->text(), "");
    EXPECT_TRUE(back.findChild<QAction*>("mnu_Crep2")->isChecked());
    EXPECT_EQ(rig.settings.repeat, 2);
}

TEST(Closing, TheMonitorTimerRunsFromLoadUntilTheWindowCloses) {
    WindowRig rig;
    rig.runTimer = true;
    PlayerWindow& w = rig.open();
    auto* timer = w.findChild<QTimer*>("Tmr1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 250);
    w.findChild<QAction*>("mnu_TaskTray")->trigger();
    w.closeWindow();
    EXPECT_FALSE(timer->isActive());
}

TEST(Closing, WithoutATrayTheTrayCommandIsOff) {
    WindowRig rig;
    rig.trayAvailable = false;
    PlayerWindow& w = rig.open();
    QAction* tray = w.findChild<QAction*>("mnu_TaskTray");
    EXPECT_FALSE(tray->isEnabled());
    w.taskTrayCommand();
    EXPECT_FALSE(rig.module.mainReload);
}

}  // namespace
}  // namespace vesk::ui::test
