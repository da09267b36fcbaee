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
    rig.openSongs(2, 20000);
    rig.run(1000);
    const std::int32_t before = rig.engine.nowPos();
    PlayerWindow* first = &rig.main();
    rig.enterTray();
    ASSERT_TRUE(rig.inTray());
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(rig.module.mainReload);
    EXPECT_EQ(rig.engine.nowPos(), before);
    EXPECT_TRUE(rig.icon().isVisible());
    EXPECT_EQ(rig.icon().toolTip(), "VESK MIDI PLAYER");
    EXPECT_FALSE(rig.tray().isVisible());
    rig.runTray(2000);
    const std::int32_t inTray = rig.engine.nowPos();
    EXPECT_GE(inTray, before + 1500);

    rig.settings.top = 3000;
    rig.settings.left = 1500;
    rig.returnToMain();
    ASSERT_FALSE(rig.inTray());
    EXPECT_EQ(rig.mainWindowsMade, 2);
    PlayerWindow& back = rig.main();
    EXPECT_TRUE(back.isVisible());
    EXPECT_EQ(back.pos(), QPoint(100, 200));
    EXPECT_GE(rig.engine.nowPos(), inTray);
    EXPECT_EQ(label(back, "lbl_Status"), "PLAY");
    EXPECT_EQ(label(back, "lbl_Title"), "Song 1");
    EXPECT_EQ(back.windowTitle(), "[001/002] Song 1 - VESK MIDI PLAYER");
    EXPECT_EQ(rig.list().count(), 2);
    EXPECT_EQ(rig.list().selectedLine(), 0);
    EXPECT_EQ(rig.quits, 0);
    EXPECT_FALSE(QFile::exists(rig.module.configPath));
    // The reload flag is down again, so quitting from the main window is a real quit.
    back.exitCommand();
    EXPECT_EQ(rig.quits, 1);
    EXPECT_TRUE(QFile::exists(rig.module.configPath));
}

TEST(TrayMenu, StatesAtEntryFollowTheEngineAndShuffleIsBuiltAnew) {
    TrayRig rig;
    rig.enterTray();
    EXPECT_EQ(rig.transportStates(), "pasr");
    rig.trigger("mnu_Next");  // nothing to play
    rig.trigger("mnu_Play");
    EXPECT_TRUE(rig.engine.fileName().isEmpty());
    rig.returnToMain();
    EXPECT_EQ(rig.main().windowTitle(), "VESK MIDI PLAYER");
    EXPECT_EQ(label(rig.main(), "lbl_Title"), "VESK MIDI PLAYER Ver 1.0");

    rig.openSongs(3, 20000);
    rig.player->repeatCommand(3);
    rig.player->state().shuffleOrder = {9, 9};
    rig.enterTray();
    EXPECT_EQ(rig.transportStates(), "pASR");
    std::vector<std::int16_t> order = rig.player->state().shuffleOrder;
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (std::vector<std::int16_t>{0, 1, 2}));
    EXPECT_TRUE(rig.item("mnu_Crep3")->isChecked());
    rig.returnToMain();
    for (const char* status : {"PAUSE", "STOP"}) {
        status[0] == 'P' ? rig.player->transportPause() : rig.player->transportStop();
        rig.enterTray();
        EXPECT_EQ(rig.transportStates(), "Pasr") << status;
        rig.returnToMain();
        EXPECT_EQ(label(rig.main(), "lbl_Status"), status);
    }
}

TEST(TrayMenu, TransportCommandsActAndSetTheStates) {
    TrayRig rig;
    rig.openSongs(3, 20000);
    rig.player->transportStop();
    rig.enterTray();
    rig.trigger("mnu_Play");
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.transportStates(), "pASR");
    rig.runTray(1500);
    rig.trigger("mnu_Pause");
    EXPECT_EQ(rig.engine.status(), "paused");
    EXPECT_EQ(rig.transportStates(), "PaSR");
    // A paused song is never taken for an ended one.
    rig.runTray(3000);
    EXPECT_EQ(rig.engine.status(), "paused");
    // 頭出し while paused goes back to the start without playing; while playing it plays on.
    rig.trigger("mnu_Prev");
    EXPECT_EQ(rig.engine.status(), "stopped");
    EXPECT_EQ(rig.engine.nowPos(), 0);
    rig.trigger("mnu_Play");
    rig.runTray(2000);
    rig.trigger("mnu_Prev");
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_LT(rig.engine.nowPos(), 500);
    rig.trigger("mnu_Stop");
    EXPECT_EQ(rig.engine.status(), "stopped");
    EXPECT_EQ(rig.transportStates(), "PaSr");
    rig.trigger("mnu_Next");
    EXPECT_TRUE(rig.engine.fileName().endsWith("s2.mid"));
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.transportStates(), "pASR");
    rig.trigger("mnu_Back");
    rig.trigger("mnu_Back");
    EXPECT_TRUE(rig.engine.fileName().endsWith("s3.mid"));  // wraps to the last
}

TEST(TrayMenu, DesktopCallsWithNoButtonHeldOpenTheMenuOrReturnAtOnce) {
    // As a desktop that draws the icon itself reports them: after the click, nothing held.
    TrayRig rig;
    rig.openSongs(1);
    rig.enterTray();
    QMenu& menu = rig.menu();
    for (auto reason : {QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        emit rig.icon().activated(reason);
        EXPECT_FALSE(menu.isVisible());
    }
    emit rig.icon().activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_TRUE(rig.inTray());
    emit rig.icon().activated(QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    EXPECT_FALSE(rig.inTray());
    EXPECT_TRUE(rig.main().isVisible());
}

TEST(TrayMonitor, HandOffIsAppendedWithoutPlayingAndListedAfterReturn) {
    TrayRig rig;
    rig.openSongs(1, 20000);
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
    EXPECT_GT(rig.engine.nowPos(), before);
    EXPECT_TRUE(QDir(rig.module.handoffFolder).entryList(QDir::Files).isEmpty());
    // While stopped, a hand-off still plays nothing.
    rig.trigger("mnu_Stop");
    rig.song("more.mid", "More");
    rig.tray().openCommandLine(rig.selection({"more.mid"}));
    rig.tray().openCommandLine("");
    EXPECT_EQ(rig.engine.status(), "stopped");
    EXPECT_EQ(rig.transportStates(), "PaSr");
    rig.returnToMain();
    ASSERT_EQ(rig.list().count(), 3);
    EXPECT_EQ(rig.list().item(2)->text(), "003：More");
}

TEST(TrayMonitor, SpeedTakenIntoTheTraySurvivesATempoChange) {
    TrayRig rig;
    // 120 BPM, 100 BPM after two seconds of song time.
    const QString path = rig.dir.write("songs/tempo.mid", songBytes("T", 4400, 120, 100, 2000));
    rig.main().findChild<QAction*>("mnu_Double")->trigger();
    rig.dialogs.answers.push_back(path);
    rig.main().openFileCommand();
    rig.enterTray();
    rig.runTray(500);
    EXPECT_EQ(rig.engine.bpm(), 240);
    rig.runTray(1000);  // the change comes at one second of doubled play
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
    rig.openSongs(2, 1000);
    rig.enterTray();
    auto nextLoad = [&rig] {
        rig.runTray(2750);
        EXPECT_EQ(rig.engine.status(), "stopped");
        rig.runTray(250);
        EXPECT_EQ(rig.engine.nowPos(), 0);
        return rig.player->state().currentEntry;
    };
    rig.trigger("mnu_Crep1");
    EXPECT_EQ(rig.settings.repeat, 1);
    EXPECT_FALSE(rig.item("mnu_Crep0")->isChecked());
    EXPECT_EQ(nextLoad(), 0);
    EXPECT_EQ(rig.engine.status(), "playing");
    rig.trigger("mnu_Crep2");
    EXPECT_FALSE(rig.item("mnu_Crep1")->isChecked());
    EXPECT_EQ(nextLoad(), 1);
    EXPECT_EQ(rig.transportStates(), "pASR");
    EXPECT_EQ(nextLoad(), 0);  // all songs: round again
    // No repeat: at the end of the list the tray stops, closes the session and waits.
    rig.trigger("mnu_Crep0");
    ASSERT_EQ(nextLoad(), 1);
    rig.runTray(3000);
    EXPECT_FALSE(rig.player->state().playRequested);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_EQ(rig.transportStates(), "PaSr");
    EXPECT_EQ(rig.player->state().currentEntry, 0);
    rig.runTray(3000);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
}

TEST(TrayQuit, EndAndTheDesktopsQuitWriteTheConfigurationOnceRaiseReturns) {
    auto rig = std::make_unique<TrayRig>();
    rig->openSongs(1, 20000);
    rig->main().move(40, 60);
    rig->enterTray();
    rig->trigger("mnu_Crep2");
    rig->trigger("mnu_End");
    EXPECT_EQ(rig->quits, 1);
    EXPECT_FALSE(rig->icon().isVisible());
    EXPECT_EQ(rig->engine.lastCommand(), engine::kSessionClosed);
    const config::ConfigLoad saved = config::loadConfigFile(rig->module.configPath);
    ASSERT_TRUE(saved.exists);
    EXPECT_EQ(saved.read.settings.repeat, 2);
    EXPECT_EQ(saved.read.top, 60 * 15);
    EXPECT_EQ(saved.read.left, 40 * 15);
    // Nothing writes it a second time, not even the windows going away.
    ASSERT_TRUE(QFile::remove(rig->module.configPath));
    rig->tray().close();
    rig->host.reset();
    EXPECT_FALSE(QFile::exists(rig->module.configPath));
    EXPECT_EQ(rig->quits, 1);

    // What the desktop's media controls ask of the host, in either mode.
    for (const bool raiseFirst : {true, false}) {
        TrayRig other;
        other.openSongs(1, 20000);
        other.enterTray();
        if (raiseFirst) {
            other.host->raise();
            QCoreApplication::processEvents();
            ASSERT_FALSE(other.inTray());
            EXPECT_TRUE(other.main().isVisible());
            EXPECT_EQ(other.engine.status(), "playing");
        }
        other.host->quit();
        EXPECT_EQ(other.quits, 1);
        EXPECT_TRUE(QFile::exists(other.module.configPath));
    }
}

TEST(TrayHost, WithoutATrayTheCommandIsDisabledAndSaysWhy) {
    TrayRig rig(false);
    QAction* command = rig.main().findChild<QAction*>("mnu_TaskTray");
    EXPECT_FALSE(command->isEnabled());
    EXPECT_NE(command->toolTip(), command->text());
    command->trigger();
    EXPECT_FALSE(rig.inTray());
    EXPECT_FALSE(rig.module.mainReload);
}

TEST(TrayHost, TheTimerRunsOnlyWhileTheTrayWindowExistsAndTheIconIsDrawn) {
    TrayRig rig(true, true);
    rig.enterTray();
    EXPECT_TRUE(rig.tray().timer().isActive());
    EXPECT_EQ(rig.tray().timer().interval(), 250);
    QSignalSpy closed(&rig.tray(), &QObject::destroyed);
    rig.returnToMain();
    EXPECT_EQ(closed.count(), 1);

    for (int size : {16, 24, 64}) {
        const QImage image = TrayWindow::trayIcon().pixmap(size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 200) << size;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;  // rounded corner
    }
}

}  // namespace
}  // namespace vesk::ui::test
