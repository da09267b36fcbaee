// Tray mode through the window host: entering and leaving with the song playing on, the
// tray menu's states and commands, hand-offs, speed, repeat modes and quitting.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>

#include "config/config_file.h"
#include "platform/handoff.h"
#include "tray_rig.h"
#include "ui/main/skin_widgets.h"

namespace vesk::ui::test {
namespace {

QString label(PlayerWindow& w, const char* name) {
    return w.findChild<SkinLabel*>(name)->text();
}

TEST(TrayTransitions, PlaybackGoesOnAcrossBothWaysAndOnlyOneWindowRemains) {
    TrayRig rig;
    ASSERT_TRUE(rig.started);
    rig.openInMain(2, 20000);
    rig.run(1000);
    const std::int32_t before = rig.engine.nowPos();
    ASSERT_GT(before, 0);
    PlayerWindow* first = &rig.main();

    rig.enterTray();
    ASSERT_TRUE(rig.inTray());
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(rig.module.mainReload);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.engine.nowPos(), before);
    EXPECT_EQ(rig.player->mode(), player::WindowMode::Tray);
    EXPECT_TRUE(rig.tray().icon().isVisible());
    EXPECT_EQ(rig.tray().icon().toolTip(), "VESK MIDI PLAYER");
    EXPECT_FALSE(rig.tray().isVisible());
    EXPECT_EQ(rig.quits, 0);
    EXPECT_FALSE(QFile::exists(rig.module.configPath));

    rig.runTray(2000);
    const std::int32_t inTray = rig.engine.nowPos();
    EXPECT_GE(inTray, before + 1500);

    rig.settings.top = 3000;
    rig.settings.left = 1500;
    rig.returnToMain();
    ASSERT_FALSE(rig.inTray());
    EXPECT_EQ(rig.mainWindowsMade, 2);
    PlayerWindow& back = rig.main();
    EXPECT_NE(&back, first);
    EXPECT_TRUE(back.isVisible());
    EXPECT_EQ(back.pos(), QPoint(100, 200));
    EXPECT_FALSE(rig.module.mainReload);
    EXPECT_EQ(rig.player->mode(), player::WindowMode::Main);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_GE(rig.engine.nowPos(), inTray);
    EXPECT_EQ(label(back, "lbl_Status"), "PLAY");
    EXPECT_EQ(label(back, "lbl_Title"), "Song 1");
    EXPECT_EQ(back.windowTitle(), "[001/002] Song 1 - VESK MIDI PLAYER");
    EXPECT_EQ(rig.list().count(), 2);
    EXPECT_EQ(rig.list().selectedLine(), 0);
    EXPECT_FALSE(QFile::exists(rig.module.configPath));

    // The reload flag is down again, so quitting from the main window is a real quit.
    back.exitCommand();
    EXPECT_EQ(rig.quits, 1);
    EXPECT_TRUE(QFile::exists(rig.module.configPath));
}

TEST(TrayTransitions, ReturningWithAnEmptyListLeavesTheLoadTimeTexts) {
    TrayRig rig;
    rig.enterTray();
    EXPECT_EQ(rig.transportStates(), "pasr");
    rig.trigger("mnu_Next");  // nothing to play
    rig.trigger("mnu_Back");
    rig.trigger("mnu_Play");
    EXPECT_TRUE(rig.engine.fileName().isEmpty());
    rig.returnToMain();
    ASSERT_FALSE(rig.inTray());
    EXPECT_EQ(rig.list().count(), 0);
    EXPECT_EQ(rig.main().windowTitle(), "VESK MIDI PLAYER");
    EXPECT_EQ(label(rig.main(), "lbl_Title"), "VESK MIDI PLAYER Ver 1.0");
}

TEST(TrayMenu, StatesAtEntryFollowTheEngine) {
    TrayRig rig;
    rig.openInMain(2, 20000);
    rig.run(500);
    rig.enterTray();
    EXPECT_EQ(rig.transportStates(), "pASR");
    for (const char* always : {"mnu_Next", "mnu_Back", "mnu_End"}) {
        EXPECT_TRUE(rig.item(always)->isEnabled()) << always;
    }
    EXPECT_TRUE(rig.tray().findChild<QMenu*>("mnu_Repeat")->isEnabled());
    rig.returnToMain();

    rig.player->transportPause();
    rig.enterTray();
    EXPECT_EQ(rig.transportStates(), "Pasr");
    rig.returnToMain();
    EXPECT_EQ(label(rig.main(), "lbl_Status"), "PAUSE");

    rig.player->transportStop();
    rig.enterTray();
    EXPECT_EQ(rig.transportStates(), "Pasr");
    rig.returnToMain();
    EXPECT_EQ(label(rig.main(), "lbl_Status"), "STOP");
}

TEST(TrayMenu, TransportCommandsActAndSetTheStates) {
    TrayRig rig;
    rig.openInMain(3, 20000);
    rig.player->transportStop();
    rig.enterTray();

    rig.trigger("mnu_Play");
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.transportStates(), "pASR");
    rig.runTray(1500);

    rig.trigger("mnu_Pause");
    EXPECT_EQ(rig.engine.status(), "paused");
    EXPECT_FALSE(rig.player->state().playRequested);
    EXPECT_EQ(rig.transportStates(), "PaSR");
    // A paused song is never taken for an ended one.
    rig.runTray(3000);
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_EQ(rig.engine.status(), "paused");

    // 頭出し while paused goes back to the start without playing.
    rig.trigger("mnu_Prev");
    EXPECT_EQ(rig.engine.status(), "stopped");
    EXPECT_EQ(rig.engine.nowPos(), 0);
    EXPECT_EQ(rig.transportStates(), "PaSR");

    rig.trigger("mnu_Play");
    rig.runTray(2000);
    ASSERT_GE(rig.engine.nowPos(), 1500);
    rig.trigger("mnu_Prev");  // while playing: from the start at once
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_LT(rig.engine.nowPos(), 500);

    rig.trigger("mnu_Stop");
    EXPECT_EQ(rig.engine.status(), "stopped");
    EXPECT_FALSE(rig.player->state().playRequested);
    EXPECT_EQ(rig.transportStates(), "PaSr");

    rig.trigger("mnu_Next");
    EXPECT_EQ(rig.player->state().currentEntry, 1);
    EXPECT_TRUE(rig.engine.fileName().endsWith("s2.mid"));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.transportStates(), "pASR");
    rig.trigger("mnu_Back");
    rig.trigger("mnu_Back");
    EXPECT_EQ(rig.player->state().currentEntry, 2);  // wraps to the last
    EXPECT_TRUE(rig.engine.fileName().endsWith("s3.mid"));
    EXPECT_EQ(rig.transportStates(), "pASR");
}

TEST(TrayMenu, DesktopCallsWithNoButtonHeldOpenTheMenuOrReturnAtOnce) {
    // As a desktop that draws the icon itself reports them: after the click, nothing held.
    TrayRig rig;
    rig.openInMain(1);
    rig.enterTray();
    QMenu& menu = rig.tray().menu();
    for (auto reason : {QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        emit rig.tray().icon().activated(reason);
        EXPECT_FALSE(menu.isVisible());
        EXPECT_TRUE(rig.inTray());
    }
    emit rig.tray().icon().activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_TRUE(rig.inTray());
    EXPECT_EQ(menu.actions().size(), 11);
    emit rig.tray().icon().activated(QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    EXPECT_FALSE(rig.inTray());
    EXPECT_TRUE(rig.main().isVisible());
    EXPECT_EQ(rig.mainWindowsMade, 2);
}

TEST(TrayMonitor, HandOffIsAppendedWithoutPlayingAndListedAfterReturn) {
    TrayRig rig;
    rig.openInMain(1, 20000);
    rig.enterTray();
    rig.runTray(500);
    const std::int32_t before = rig.engine.nowPos();
    const QString added = rig.song("handed.mid", "Handed Over");
    ASSERT_FALSE(platform::writeHandoffFile(rig.module.handoffFolder, '"' + added + '"',
                                            platform::systemHandoffClock())
                     .isEmpty());
    rig.runTray(250);
    EXPECT_EQ(rig.titles(), (QStringList{"Song 1", "Handed Over"}));
    EXPECT_TRUE(rig.engine.fileName().endsWith("s1.mid"));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_GT(rig.engine.nowPos(), before);
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_TRUE(QDir(rig.module.handoffFolder).entryList(QDir::Files).isEmpty());

    // While stopped, a hand-off still plays nothing.
    rig.trigger("mnu_Stop");
    rig.song("more.mid", "More");
    rig.tray().openCommandLine(rig.selection({"more.mid"}));
    rig.tray().openCommandLine("");
    EXPECT_EQ(rig.titles().size(), 3);
    EXPECT_EQ(rig.engine.status(), "stopped");
    EXPECT_EQ(rig.transportStates(), "PaSr");

    rig.returnToMain();
    ASSERT_EQ(rig.list().count(), 3);
    EXPECT_TRUE(rig.list().item(1)->text().contains("Handed Over"));
    EXPECT_TRUE(rig.list().item(2)->text().contains("More"));
}

// A song at 120 BPM that changes to 100 BPM after two seconds and ends 2.4 s later.
QByteArray tempoChangeSong() {
    using vesk::test::Track;
    Track track;
    track.tempo(0, 500000);
    track.at(0, {0x90, 60, 100});
    track.tempo(4 * 480, 600000);
    track.at(4 * 480, {0x80, 60, 0});
    track.end();
    return vesk::test::toQByteArray(vesk::test::smf(0, 480, {track}));
}

TEST(TrayMonitor, SpeedTakenIntoTheTraySurvivesATempoChange) {
    TrayRig rig;
    const QString path = rig.dir.write("songs/tempo.mid", tempoChangeSong());
    rig.main().findChild<QAction*>("mnu_Double")->trigger();
    rig.dialogs.answers.push_back(path);
    rig.main().openFileCommand();
    EXPECT_EQ(rig.engine.bpm(), 240);

    rig.enterTray();
    EXPECT_TRUE(rig.player->tray().speed.doubleSpeed);
    EXPECT_FALSE(rig.player->tray().speed.halfSpeed);
    rig.runTray(500);
    EXPECT_EQ(rig.engine.bpm(), 240);
    rig.runTray(1000);  // the change comes at one second of doubled play
    EXPECT_EQ(rig.engine.bpm(), 200);
    rig.runTray(500);
    EXPECT_EQ(rig.engine.bpm(), 200);

    // Back in the main window the speed items start unchecked; the song keeps its tempo.
    rig.returnToMain();
    EXPECT_FALSE(rig.main().findChild<QAction*>("mnu_Double")->isChecked());
    EXPECT_EQ(rig.engine.bpm(), 200);
}

TEST(TrayMonitor, RepeatModesAdvanceInTheTray) {
    // Each song plays one second; the tray moves on after more than two seconds stopped,
    // so every load is followed by the next one three seconds later.
    TrayRig rig;
    rig.openInMain(2, 1000);
    rig.enterTray();
    auto nextLoad = [&rig] {
        rig.runTray(2750);
        EXPECT_EQ(rig.engine.status(), "stopped");
        const std::int16_t before = rig.player->state().currentEntry;
        rig.runTray(250);
        EXPECT_EQ(rig.engine.nowPos(), 0);
        return before;
    };

    rig.trigger("mnu_Crep1");
    EXPECT_EQ(rig.settings.repeat, 1);
    EXPECT_TRUE(rig.item("mnu_Crep1")->isChecked());
    EXPECT_FALSE(rig.item("mnu_Crep0")->isChecked());
    EXPECT_EQ(nextLoad(), 0);
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    EXPECT_EQ(rig.engine.status(), "playing");

    rig.trigger("mnu_Crep2");
    EXPECT_FALSE(rig.item("mnu_Crep1")->isChecked());
    EXPECT_TRUE(rig.item("mnu_Crep2")->isChecked());
    nextLoad();
    EXPECT_EQ(rig.player->state().currentEntry, 1);
    EXPECT_TRUE(rig.engine.fileName().endsWith("s2.mid"));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.transportStates(), "pASR");
    nextLoad();
    EXPECT_EQ(rig.player->state().currentEntry, 0);  // all songs: round again

    // No repeat: at the end of the list the tray stops and closes the session.
    rig.trigger("mnu_Crep0");
    nextLoad();
    ASSERT_EQ(rig.player->state().currentEntry, 1);
    rig.runTray(3000);
    EXPECT_FALSE(rig.player->state().playRequested);
    EXPECT_EQ(rig.engine.lastCommand(), 0);
    EXPECT_EQ(rig.transportStates(), "PaSr");
    EXPECT_EQ(rig.player->state().currentEntry, 0);  // back at the top, waiting
    rig.runTray(3000);
    EXPECT_EQ(rig.engine.lastCommand(), 0);
}

TEST(TrayMonitor, EnteringInShuffleModeBuildsTheOrderAnew) {
    TrayRig rig;
    rig.openInMain(3, 20000);
    rig.player->repeatCommand(3);
    rig.player->state().shuffleOrder = {9, 9};
    rig.enterTray();
    std::vector<std::int16_t> order = rig.player->state().shuffleOrder;
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (std::vector<std::int16_t>{0, 1, 2}));
    EXPECT_TRUE(rig.item("mnu_Crep3")->isChecked());
}

TEST(TrayQuit, EndWritesTheConfigurationOnceAndEnds) {
    auto rig = std::make_unique<TrayRig>();
    rig->openInMain(1, 20000);
    rig->main().move(40, 60);
    rig->enterTray();
    rig->trigger("mnu_Crep2");
    ASSERT_FALSE(QFile::exists(rig->module.configPath));

    rig->trigger("mnu_End");
    EXPECT_EQ(rig->quits, 1);
    EXPECT_FALSE(rig->tray().icon().isVisible());
    EXPECT_EQ(rig->engine.lastCommand(), 0);
    const config::ConfigLoad saved = config::loadConfigFile(rig->module.configPath);
    ASSERT_TRUE(saved.exists);
    EXPECT_EQ(saved.read.settings.repeat, 2);
    EXPECT_EQ(saved.read.top, 60 * 15);
    EXPECT_EQ(saved.read.left, 40 * 15);

    // Nothing writes it a second time, not even the windows going away.
    const QString path = rig->module.configPath;
    ASSERT_TRUE(QFile::remove(path));
    rig->tray().close();
    rig->host.reset();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(rig->quits, 1);
}

// What the desktop's media controls ask of the host: raise and quit, in either mode.
TEST(TrayHost, RaiseBringsTheMainWindowBackAndQuitIsTheWindowsOwn) {
    TrayRig rig;
    rig.openInMain(1, 20000);
    rig.enterTray();
    rig.host->raise();
    QCoreApplication::processEvents();
    ASSERT_FALSE(rig.inTray());
    EXPECT_TRUE(rig.main().isVisible());
    EXPECT_EQ(rig.engine.status(), "playing");
    rig.host->quit();
    EXPECT_EQ(rig.quits, 1);
    EXPECT_TRUE(QFile::exists(rig.module.configPath));

    TrayRig inTray;
    inTray.openInMain(1, 20000);
    inTray.enterTray();
    inTray.host->quit();
    EXPECT_EQ(inTray.quits, 1);
    EXPECT_EQ(inTray.engine.lastCommand(), 0);
    EXPECT_TRUE(QFile::exists(inTray.module.configPath));
}

TEST(TrayHost, WithoutATrayTheCommandIsDisabledAndSaysWhy) {
    TrayRig rig(false);
    QAction* command = rig.main().findChild<QAction*>("mnu_TaskTray");
    EXPECT_FALSE(command->isEnabled());
    EXPECT_FALSE(command->toolTip().isEmpty());
    EXPECT_NE(command->toolTip(), command->text());
    command->trigger();
    EXPECT_FALSE(rig.inTray());
    EXPECT_FALSE(rig.module.mainReload);
}

TEST(TrayHost, TheTimerRunsOnlyWhileTheTrayWindowExists) {
    TrayRig rig(true, true);
    rig.enterTray();
    const QTimer& timer = rig.tray().timer();
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 250);
    QSignalSpy closed(&rig.tray(), &QObject::destroyed);
    rig.returnToMain();
    EXPECT_EQ(closed.count(), 1);
}

TEST(TrayIcon, BothPicturesAreDrawn) {
    const QIcon icon = TrayWindow::trayIcon();
    for (int size : {16, 24, 64}) {
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 200) << size;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;  // rounded corner
    }
}

}  // namespace
}  // namespace vesk::ui::test
