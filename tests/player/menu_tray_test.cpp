#include <gtest/gtest.h>

#include "player/menu_state.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

TEST(RepeatCommandTest, IndicatorsAndTheShuffleOrder) {
    EXPECT_EQ(repeatIndicator(0), (RepeatIndicator{"", "NO REPEAT", false}));
    EXPECT_EQ(repeatIndicator(1), (RepeatIndicator{"1", "", true}));
    EXPECT_EQ(repeatIndicator(2), (RepeatIndicator{"", "", true}));
    EXPECT_EQ(repeatIndicator(3), (RepeatIndicator{"SHUFF", "", true}));
    EXPECT_EQ(repeatIndicator(9), repeatIndicator(0));

    PlayerRig rig;
    Player& p = *rig.player;
    p.state().ShuffleOrder = {7};
    p.repeatCommand(3);  // an empty list keeps the order it had
    EXPECT_EQ(p.state().ShuffleOrder, std::vector<std::int16_t>{7});
    rig.addSong("a.mid", "A");
    p.repeatCommand(3);
    EXPECT_EQ(p.state().ShuffleOrder, std::vector<std::int16_t>{0});
    EXPECT_EQ(rig.settings.Repeat, 3);
    p.repeatCommand(-4);
    EXPECT_EQ(rig.settings.Repeat, 0);
    EXPECT_EQ(rig.view.named("repeat").last(), QStringLiteral("0//NO REPEAT"));
}

TEST(SpeedCommandTest, SpeedsStartFromTheSongsOwnTempoAndNeverCompound) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "A", 61000);
    p.PlayEntry(0);
    p.doubleSpeedCommand();
    EXPECT_EQ(rig.engine.Bpm(), 240);
    EXPECT_EQ(p.mainWindow().TotalText, QStringLiteral("00:30"));
    p.halfSpeedCommand();
    EXPECT_EQ(rig.engine.Bpm(), 60);
    EXPECT_FALSE(p.mainWindow().Speed.Double);
    EXPECT_EQ(p.mainWindow().TotalText, QStringLiteral("02:02"));
    p.halfSpeedCommand();
    EXPECT_EQ(rig.engine.Bpm(), 120);
    EXPECT_EQ(p.mainWindow().TotalText, QStringLiteral("01:01"));

    PlayerRig odd;
    odd.addSong("b.mid", "B", 1000, 125);
    odd.player->halfSpeedCommand();
    odd.player->PlayEntry(0);
    EXPECT_EQ(odd.engine.Bpm(), 62);
}

TEST(DeviceCommandTest, PlayingSongsSwitchAtOnceStoppedOnesAtTheNextLoad) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "A", 8000);
    p.PlayEntry(0);
    rig.run(500);
    p.deviceBCommand();
    rig.run(500);
    EXPECT_EQ(rig.engine.Device(), 1);
    EXPECT_EQ(rig.view.named("device").last(), QStringLiteral("1"));
    EXPECT_EQ(rig.settings.DeviceNumber, QStringLiteral("B"));
    EXPECT_TRUE(rig.settings.KeyCheck);
    EXPECT_TRUE(p.state().Choice.DeviceBChosen);

    p.TransportStop();
    p.deviceACommand();
    EXPECT_EQ(rig.engine.Device(), 1);
    EXPECT_EQ(rig.view.named("device").last(), QStringLiteral("0"));
    EXPECT_FALSE(rig.settings.KeyCheck);

    // Choosing the automatic choice twice keeps it chosen.
    p.autoDeviceCommand();
    p.autoDeviceCommand();
    EXPECT_TRUE(p.state().Choice.AutoChosen);
    EXPECT_FALSE(p.state().Choice.DeviceAChosen || p.state().Choice.DeviceBChosen);
    EXPECT_EQ(rig.settings.DeviceNumber, QStringLiteral("Auto"));
}

struct TrayTest : ::testing::Test {
    TrayTest() {
        rig.addSong("a.mid", "A");
        rig.addSong("b.mid", "B");
    }
    PlayerRig rig;
    Player& p = *rig.player;
    RecordingView tray;
    std::tuple<bool, bool, bool, bool> menu() const {
        const TrayState& t = p.tray();
        return {t.PlayEnabled, t.PauseEnabled, t.StopEnabled, t.PrevEnabled};
    }
};

TEST_F(TrayTest, EnteringFollowsThePlayingStateAndBuildsANewShuffleOrder) {
    p.enterTray(tray);
    EXPECT_EQ(menu(), std::make_tuple(false, false, false, false));
    p.returnFromTray(rig.view);

    p.PlayEntry(0);
    rig.settings.Repeat = 3;
    p.state().ShuffleOrder.clear();
    p.enterTray(tray);
    EXPECT_EQ(menu(), std::make_tuple(false, true, true, true));
    EXPECT_EQ(p.state().ShuffleOrder.size(), 2u);

    p.TransportPause();
    EXPECT_EQ(menu(), std::make_tuple(true, false, true, true));
    p.returnFromTray(rig.view);
    p.enterTray(tray);
    EXPECT_EQ(menu(), std::make_tuple(true, false, false, false));
    p.TransportPlay();
    EXPECT_EQ(menu(), std::make_tuple(false, true, true, true));
    p.TransportStop();
    EXPECT_EQ(menu(), std::make_tuple(true, false, true, false));
}

TEST_F(TrayTest, TheTrayLoopKeepsItsSpeedWritesNoDisplayAndStopsAtTheEnd) {
    rig.addSong("t.mid", "T", 4000, 120, 100, 1000);
    p.doubleSpeedCommand();
    p.repeatCommand(0);
    p.enterTray(tray);
    p.PlayEntry(2);
    EXPECT_EQ(rig.engine.Bpm(), 240);
    rig.run(750);
    EXPECT_EQ(rig.engine.Bpm(), 200);
    EXPECT_EQ(p.tray().Speed.SpeedTempo, 200);
    EXPECT_EQ(p.mainWindow().Speed.SpeedTempo, 0);
    rig.run(5000);
    EXPECT_FALSE(p.state().PlayRequested);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionClosed);
    EXPECT_EQ(menu(), std::make_tuple(true, false, false, false));
    for (const QString& call : tray.calls) {
        EXPECT_TRUE(call.startsWith("repeat:")) << call.toStdString();
    }
}

TEST_F(TrayTest, ReturningRebuildsTheListAndShowsTheSongInProgress) {
    p.PlayEntry(1);
    p.doubleSpeedCommand();
    p.enterTray(tray);
    p.TransportNext();
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_EQ(rig.engine.Bpm(), 240);
    rig.view.calls.clear();
    p.returnFromTray(rig.view);
    EXPECT_EQ(rig.view.lines, QStringList({"001：A", "002：B"}));
    EXPECT_EQ(p.mainWindow().Caption, QStringLiteral("[001/002] A - VESK MIDI PLAYER"));
    EXPECT_EQ(p.mainWindow().StatusText, QStringLiteral("PLAY"));
    EXPECT_EQ(p.mainWindow().TotalText, QStringLiteral("00:01"));
    EXPECT_FALSE(p.mainWindow().Speed.Double);
    EXPECT_EQ(rig.engine.Bpm(), 240);
    EXPECT_EQ(p.mode(), WindowMode::Main);
}

}  // namespace
}  // namespace vesk::player::test
