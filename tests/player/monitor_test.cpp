#include <gtest/gtest.h>

#include "intake/path_text.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

struct MonitorTest : ::testing::Test {
    MonitorTest() {
        rig.addSong("a.mid", "A");
        rig.addSong("b.mid", "B");
        rig.addSong("c.mid", "C");
        p.updateList(-1);
    }
    // The entries loaded so far, in order.
    QStringList played() const { return rig.view.named("select"); }
    PlayerRig rig;
    Player& p = *rig.player;
};

TEST_F(MonitorTest, ModeNonePlaysToTheEndOfTheListThenStopsAndCloses) {
    p.repeatCommand(0);
    p.playEntry(0);
    rig.run(20000);
    EXPECT_EQ(played(), QStringList({"0", "1", "2"}));
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_EQ(rig.view.named("status").last(), QStringLiteral("STOP"));
}

TEST_F(MonitorTest, ModeAllWrapsOnTheNinthStoppedTickCountedAfreshByAReturningWindow) {
    p.repeatCommand(2);
    p.playEntry(0);
    // Ticks until the next song loads, from the first one that finds the song stopped.
    const auto stoppedTicks = [&] {
        const qsizetype before = played().size();
        int ticks = 0;
        for (int tick = 0; tick < 200 && played().size() == before; ++tick) {
            rig.run(250);
            ticks += rig.engine.status() == QLatin1String("stopped") || played().size() > before;
        }
        return ticks;
    };
    // Eight stopped ticks make 2000 ms, which is not yet more than 2000.
    EXPECT_EQ(stoppedTicks(), 9);
    for (int tick = 0; tick < 40 && rig.engine.status() != QLatin1String("stopped"); ++tick) {
        rig.run(250);
    }
    rig.run(1500);  // six of the nine stopped ticks gone
    RecordingView tray;
    p.enterTray(tray);
    p.returnFromTray(rig.view);  // the window selects the current song again
    EXPECT_EQ(stoppedTicks(), 9);
    EXPECT_EQ(played().last(), QStringLiteral("2"));
    rig.run(20000);
    EXPECT_EQ(played().mid(3, 4), QStringList({"2", "0", "1", "2"}));
}

TEST_F(MonitorTest, ModeSingleReplaysTheSameSongAboutTwoSecondsAfterItsEnd) {
    p.repeatCommand(1);
    p.playEntry(1);
    rig.run(2750);  // the song ended at 1000 ms
    EXPECT_EQ(rig.engine.status(), QStringLiteral("stopped"));
    rig.run(750);
    EXPECT_EQ(rig.engine.status(), QStringLiteral("playing"));
    EXPECT_EQ(played(), QStringList({"1"}));
    EXPECT_LT(rig.engine.nowPos(), 1000);
    // Nothing advances while play is not requested.
    p.transportStop();
    rig.run(5000);
    EXPECT_EQ(played(), QStringList({"1"}));
    EXPECT_EQ(rig.engine.status(), QStringLiteral("stopped"));
}

TEST_F(MonitorTest, ShuffleFollowsTheShuffleOrderAndALeftOverPositionRestarts) {
    rig.random.values = {0.0};
    p.repeatCommand(3);
    p.state().shuffleOrder = {2, 0, 1};
    p.playEntry(2);
    ASSERT_EQ(p.state().playOrderPos, 0);
    rig.run(12000);
    EXPECT_EQ(played().mid(0, 4), QStringList({"2", "0", "1", "2"}));

    PlayerRig other;
    other.addSong("a.mid", "A");
    other.addSong("b.mid", "B");
    other.player->repeatCommand(2);
    other.player->playEntry(1);
    other.player->state().playOrderPos = 9;  // a list that was longer
    other.run(3500);
    EXPECT_EQ(other.view.named("select"), QStringList({"1", "0"}));
}

TEST(MonitorSpeedTest, DoubleAndHalfSpeedSurviveATempoChangeInsideTheSong) {
    for (const bool doubled : {true, false}) {
        PlayerRig rig;
        rig.addSong("t.mid", "T", 4000, 120, 100, 1000);
        doubled ? rig.player->doubleSpeedCommand() : rig.player->halfSpeedCommand();
        rig.player->playEntry(0);
        EXPECT_EQ(rig.engine.bpm(), doubled ? 240 : 60);
        EXPECT_EQ(rig.player->mainWindow().totalText, doubled ? "00:02" : "00:08");
        rig.run(doubled ? 750 : 2250);  // past the change at 1000 ms of song time
        EXPECT_EQ(rig.engine.bpm(), doubled ? 200 : 50);
        // The time shown is the song time heard at the speed.
        rig.run(1000);
        const int nowPos = rig.engine.nowPos();
        EXPECT_EQ(rig.player->mainWindow().nowText,
                  intake::formatTime(doubled ? nowPos / 2 : nowPos * 2));
    }
}

TEST(MonitorHandoffTest, OneHandOffFilePerTickInEitherWindow) {
    PlayerRig rig;
    const QString folder = rig.module.handoffFolder + "/";
    rig.dir.write("work/FileNames/1.File", "\"/songs/one.mid\"\r\n");
    rig.dir.write("work/FileNames/2.File", "\"/songs/two.mid\"\r\n");
    rig.player->monitorTick();
    EXPECT_EQ(rig.view.named("open").size(), 1);
    EXPECT_EQ(QDir(folder).entryList({"*.File"}).size(), 1);

    RecordingView tray;
    rig.player->enterTray(tray);
    rig.player->monitorTick();
    EXPECT_EQ(rig.view.named("open").size(), 1);
    EXPECT_EQ(tray.named("open").size(), 1);
    QStringList both = rig.view.named("open") + tray.named("open");
    both.sort();
    EXPECT_EQ(both, QStringList({"\"/songs/one.mid\"", "\"/songs/two.mid\""}));
    EXPECT_TRUE(QDir(folder).entryList({"*.File"}).isEmpty());
}

// Opening a hand-off may show a message box whose events run further ticks: they must do
// their work (here: follow the window) and leave the next hand-off for later.
TEST(MonitorHandoffTest, TicksGoOnWhileAHandOffIsBeingOpened) {
    PlayerRig rig;
    rig.dir.write("work/FileNames/1.File", "\"/songs/folder\"\r\n");
    rig.dir.write("work/FileNames/2.File", "\"/songs/two.mid\"\r\n");
    rig.view.topLeft = QPoint(10, 20);
    int nestedTop = 0;
    rig.view.whileOpening = [&] {
        rig.view.whileOpening = nullptr;
        rig.view.topLeft = QPoint(30, 40);
        rig.player->monitorTick();
        nestedTop = rig.settings.top;
    };
    rig.player->monitorTick();
    EXPECT_EQ(nestedTop, 40);
    EXPECT_EQ(rig.view.named("open").size(), 1);
    rig.player->monitorTick();
    QStringList opened = rig.view.named("open");
    opened.sort();
    EXPECT_EQ(opened, (QStringList{"\"/songs/folder\"", "\"/songs/two.mid\""}));
}

TEST(MonitorDisplayTest, PositionBarTitleScrollAndWindowPlace) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "A", 8000);
    p.setInfoShown(true);
    rig.view.topLeft = QPoint(rig.settings.left, rig.settings.top);
    p.playEntry(0);
    rig.run(2000);
    EXPECT_EQ(rig.view.barWidth, 250);  // 2000 of 8000 ms on a 1000 wide bar
    EXPECT_EQ(rig.view.named("now").last(), QStringLiteral("00:02"));
    EXPECT_EQ(rig.view.named("bpm").last(), QStringLiteral("BPM  120"));
    // Resting two seconds at the start, then 5 pixels a tick.
    EXPECT_EQ(rig.view.titleLeft, kTitleStartLeft - 5);
    rig.view.titleWidthValue = 10;
    rig.run(1250);
    EXPECT_EQ(rig.view.titleLeft, kTitleStartLeft);
    EXPECT_EQ(p.mainWindow().scrollWait, 0);
    p.scrollCommand();
    rig.run(3000);
    EXPECT_EQ(rig.view.titleLeft, kTitleStartLeft);

    EXPECT_TRUE(rig.view.named("follow").isEmpty());
    rig.view.topLeft = QPoint(rig.settings.left, 3000);
    rig.player->monitorTick();
    EXPECT_EQ(rig.view.named("follow"), QStringList({"10"}));
    EXPECT_EQ(rig.settings.top, 3000);
}

}  // namespace
}  // namespace vesk::player::test
