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

QString text(PlayerWindow& w, const char* name) {
    return w.findChild<SkinLabel*>(name)->text();
}
SongList& listOf(PlayerWindow& w) {
    return *w.findChild<SongList*>("SongList");
}

TEST(OpenCommands, OpenReplacesTheListEmptiesTheWorkFolderAndPlaysTheFirst) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    rig.player->transportNext();
    const QString inWork = rig.dir.write("work/old.mid", "x");
    rig.run(500);
    const std::int32_t before = rig.engine.nowPos();
    // Cancelled dialogs change nothing.
    rig.windows.calls.clear();
    w.openFileCommand();
    w.openFolderCommand();
    EXPECT_EQ(rig.titles().size(), 3);
    EXPECT_TRUE(QFile::exists(inWork));
    EXPECT_EQ(rig.engine.nowPos(), before);
    EXPECT_TRUE(rig.windows.calls.isEmpty());

    const QString n1 = rig.dir.write("new/n1.mid", songBytes("New 1"));
    rig.dir.write("new/n2.mid", songBytes("New 2"));
    rig.dialogs.answers.push_back(rig.dir.path() + "/new" + QChar(u'\0') + "n1.mid" + QChar(u'\0') +
                                  "n2.mid");
    // While the files are taken in: the wait pointer, "Now Loading..." at its start, the
    // old song already closed and the old list gone.
    QString meanwhile;
    rig.windows.onProgress = [&](QWidget*) {
        auto* title = w.findChild<SkinLabel*>("lbl_Title");
        const bool wait = QApplication::overrideCursor() != nullptr &&
                          QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        meanwhile = QString("%1|%2|%3|%4|%5")
                        .arg(title->text())
                        .arg(title->x() == player::kTitleStartLeft)
                        .arg(wait)
                        .arg(rig.engine.lastCommand() == engine::kSessionClosed)
                        .arg(rig.player->state().playList.size());
    };
    w.openFileCommand();
    EXPECT_EQ(meanwhile, "Now Loading...|1|1|1|0");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(rig.titles(), (QStringList{"New 1", "New 2"}));
    EXPECT_FALSE(QFile::exists(inWork));
    EXPECT_TRUE(QDir(rig.module.handoffFolder).exists());
    EXPECT_EQ(rig.engine.fileName(), n1);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(listOf(w).count(), 2);
    EXPECT_EQ(listOf(w).selectedLine(), 0);
    EXPECT_EQ(w.windowTitle(), "[001/002] New 1 - VESK MIDI PLAYER");
    EXPECT_EQ(text(w, "lbl_Title"), "New 1");
    EXPECT_EQ(rig.windows.calls, (QStringList{"progress-open", "progress-close"}));
}

TEST(OpenCommands, OpenFolderScansTheChosenFolderOrSaysItHasNothing) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.song("b.mid", "Bee");
    rig.song("a.mid", "Ay");
    rig.dialogs.answers.push_back(rig.songsFolder());
    w.openFolderCommand();
    EXPECT_EQ(rig.titles(), (QStringList{"Ay", "Bee"}));
    EXPECT_TRUE(addCommandsOn(w));

    rig.dir.write("empty/readme.txt", "x");
    rig.dialogs.answers.push_back(rig.dir.path() + "/empty");
    w.openFolderCommand();
    EXPECT_TRUE(rig.titles().isEmpty());
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    ASSERT_FALSE(rig.interaction.shown.empty());
    EXPECT_EQ(rig.interaction.shown.back().text, "このﾌｫﾙﾀﾞには対応したﾌｧｲﾙが存在しません");
    EXPECT_EQ(text(w, "lbl_Title"), "VESK MIDI PLAYER Ver 1.0");
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
    EXPECT_EQ(rig.player->state().shuffleOrder.size(), 4u);
    EXPECT_EQ(listOf(w).item(3)->text(), "004：More");
    EXPECT_EQ(rig.engine.status(), "playing");
}

TEST(CommandLine, TextsAtStartUpPlayTheFirstLaterOnesOnlyExtendTheList) {
    WindowRig rig;
    const QString a = rig.song("a.mid", "Ay");
    const QString spaced = rig.dir.write("my songs/a b.mid", songBytes("Spaced"));
    rig.module.commandText = QStringList{'"' + a + '"', '"' + spaced + '"'};
    PlayerWindow& w = rig.open();
    ASSERT_TRUE(rig.loaded);
    EXPECT_EQ(rig.titles(), (QStringList{"Ay", "Spaced"}));
    EXPECT_EQ(rig.engine.fileName(), a);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(listOf(w).selectedLine(), 0);
    EXPECT_TRUE(rig.module.commandText.isEmpty());

    // Unquoted paths with a space between them; no progress window for them.
    rig.windows.calls.clear();
    rig.song("p.mid", "P");
    rig.song("q.mid", "Q");
    w.openCommandLine(rig.songsFolder() + "/p.mid " + rig.songsFolder() + "/q.mid");
    w.openCommandLine(QString());
    // And handed over by a second start, through the monitor.
    const QString later = rig.song("later.mid", "Later");
    ASSERT_FALSE(platform::writeHandoffFile(rig.module.handoffFolder, '"' + later + '"',
                                            platform::systemHandoffClock())
                     .isEmpty());
    rig.run(250);
    EXPECT_EQ(rig.titles(), (QStringList{"Ay", "Spaced", "P", "Q", "Later"}));
    EXPECT_EQ(listOf(w).count(), 5);
    EXPECT_EQ(rig.engine.fileName(), a);
    EXPECT_EQ(w.windowTitle(), "[001/005] Ay - VESK MIDI PLAYER");
    EXPECT_TRUE(rig.windows.calls.isEmpty());

    WindowRig empty;
    PlayerWindow& blank = empty.open();
    blank.openCommandLine(QString());
    EXPECT_FALSE(addCommandsOn(blank));
    blank.openCommandLine('"' + spaced + '"');
    EXPECT_TRUE(addCommandsOn(blank));
    EXPECT_EQ(empty.engine.lastCommand(), engine::kSessionClosed);
}

TEST(SaveListTool, WritesTheListOrReportsWhyNot) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);
    auto* save = w.findChild<PictureBox*>("Img_Tool3");
    const auto press = [save] {
        QTest::mousePress(save, Qt::LeftButton);
        const QString picture = save->picture();
        QTest::mouseRelease(save, Qt::LeftButton);
        return picture;
    };
    EXPECT_EQ(press(), "tool_save_pressed");  // cancelled
    EXPECT_EQ(rig.dialogs.asked.last(), "save:ﾘｽﾄの保存");
    const QString target = rig.dir.file("list.mlt");
    rig.dialogs.answers.push_back(target);
    press();
    const QByteArray written = vesk::test::readAll(target);
    EXPECT_TRUE(written.startsWith("MultiListFile"));
    EXPECT_TRUE(written.contains("s1.mid") && written.contains("s2.mid"));
    EXPECT_TRUE(written.endsWith("\r\n"));

    rig.dir.write("no", "a file where a folder should be");
    rig.dialogs.answers.push_back(rig.dir.file("no/such/folder/x.mlt"));
    press();
    ASSERT_FALSE(rig.interaction.shown.empty());
    EXPECT_TRUE(rig.interaction.shown.back().text.startsWith("ﾘｽﾄを保存できませんでした。"));
}

TEST(Configuration, LoadAppliesTheFileOrEndsOnAnInvalidOne) {
    struct Case {
        QByteArray file;  // empty: no file
        bool loads;
        int repeat;
        QString device;
        bool keyCheck;
        QPoint place;
        QString repeatWord;
    };
    const Case cases[] = {
        {{}, true, 0, "A", false, {133, 133}, "/NO REPEAT"},
        {"[VESK MIDI INIT FILE]\r\nTOP=1500\r\nLEFT=3000\r\nREPEAT=3\r\nUSEB=1\r\n"
         "KEYCHECK=0\r\nDEVICENUMBER=B\r\n",
         true,
         3,
         "B",
         true,
         {200, 100},
         "SHUFF/"},
        // A key check after the device line is not overwritten by the device command.
        {"[VESK MIDI INIT FILE]\r\nDEVICENUMBER=B\r\nKEYCHECK=0\r\n",
         true,
         0,
         "B",
         false,
         {133, 133},
         "/NO REPEAT"},
        {"[vesk midi init file]\r\nREPEAT=2\r\n", false, 0, {}, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        WindowRig rig;
        rig.settings.repeat = 2;
        if (!c.file.isEmpty()) {
            rig.dir.write("program/vmidi.ini", c.file);
        }
        PlayerWindow& w = rig.open();
        ASSERT_EQ(rig.loaded, c.loads);
        EXPECT_EQ(rig.synthesizerApplied, c.loads ? 1 : 0);
        if (!c.loads) {
            ASSERT_EQ(rig.interaction.shown.size(), 1u);
            EXPECT_EQ(rig.interaction.shown[0].text, "設定ファイルが不正です。異常終了します。");
            EXPECT_EQ(rig.interaction.shown[0].icon, platform::MessageIcon::Critical);
            EXPECT_EQ(vesk::test::readAll(rig.module.configPath), c.file);
            continue;
        }
        EXPECT_EQ(rig.settings.repeat, c.repeat);
        EXPECT_EQ(rig.settings.deviceNumber, c.device);
        EXPECT_EQ(rig.settings.keyCheck, c.keyCheck);
        EXPECT_EQ(w.pos(), c.place);
        EXPECT_EQ(text(w, "lbl_Rep") + "/" + text(w, "lbl_NoRep"), c.repeatWord);
        EXPECT_TRUE(w.findChild<QAction*>(QString("mnu_Crep%1").arg(c.repeat))->isChecked());
        EXPECT_EQ(w.findChild<SkinLabel*>(c.device == "B" ? "Label4" : "Label3")->background(),
                  QColor(0, 0, 0));
        EXPECT_EQ(text(w, "lbl_Title"), "VESK MIDI PLAYER Ver 1.0");
    }
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
    QFile::remove(rig.module.configPath);
    w.close();
    EXPECT_FALSE(QFile::exists(rig.module.configPath));
}

// The round trip through the window host itself is the tray tests' part.
TEST(Closing, TheTrayClosesTheWindowsTimerAndInfoAndAFreshWindowReadsNoConfiguration) {
    WindowRig rig;
    rig.runTimer = true;
    PlayerWindow& w = rig.open();
    auto* timer = w.findChild<QTimer*>("Tmr1");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 250);
    rig.openSongs(2);
    QTest::mouseClick(w.findChild<PictureBox*>("img_Button2"), Qt::LeftButton);
    ASSERT_TRUE(rig.windows.infoOpen);
    w.findChild<QAction*>("mnu_Crep2")->trigger();
    w.findChild<QAction*>("mnu_TaskTray")->trigger();
    EXPECT_TRUE(rig.module.mainReload);
    EXPECT_EQ(rig.trayEntered, 1);
    w.closeWindow();  // as the tray window does
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(rig.windows.infoOpen);
    EXPECT_EQ(rig.quits, 0);

    rig.dir.write("program/vmidi.ini", "broken");
    PlayerWindow& back = rig.open();
    ASSERT_TRUE(rig.loaded);
    EXPECT_TRUE(rig.interaction.shown.empty());
    EXPECT_EQ(text(back, "lbl_Rep") + text(back, "lbl_NoRep"), "");
    EXPECT_TRUE(back.findChild<QAction*>("mnu_Crep2")->isChecked());
    EXPECT_FALSE(addCommandsOn(back));
}

}  // namespace
}  // namespace vesk::ui::test
