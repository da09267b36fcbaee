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
    p.state().shuffleOrder = {7};
    p.repeatCommand(3);  // an empty list keeps the order it had
    EXPECT_EQ(p.state().shuffleOrder, std::vector<std::int16_t>{7});
    rig.addSong("a.mid", "A");
    p.repeatCommand(3);
    EXPECT_EQ(p.state().shuffleOrder, std::vector<std::int16_t>{0});
    EXPECT_EQ(rig.settings.repeat, 3);
    p.repeatCommand(-4);
    EXPECT_EQ(rig.settings.repeat, 0);
    EXPECT_EQ(rig.view.named("repeat").last(), QStringLiteral("0//NO REPEAT"));
}

TEST(SpeedCommandTest, SpeedsStartFromTheSongsOwnTempoAndNeverCompound) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "A", 61000);
    p.playEntry(0);
    p.doubleSpeedCommand();
    EXPECT_EQ(rig.engine.bpm(), 240);
    EXPECT_EQ(p.mainWindow().totalText, QStringLiteral("00:30"));
    p.halfSpeedCommand();
    EXPECT_EQ(rig.engine.bpm(), 60);
    EXPECT_FALSE(p.mainWindow().speed.doubleSpeed);
    EXPECT_EQ(p.mainWindow().totalText, QStringLiteral("02:02"));
    p.halfSpeedCommand();
    EXPECT_EQ(rig.engine.bpm(), 120);
    EXPECT_EQ(p.mainWindow().totalText, QStringLiteral("01:01"));

    PlayerRig odd;
    odd.addSong("b.mid", "B", 1000, 125);
    odd.player->halfSpeedCommand();
    odd.player->playEntry(0);
    EXPECT_EQ(odd.engine.bpm(), 62);
}

// The keys of the note-ons the device was sent, in order.
std::vector<int> keysPlayed(const PlayerRig& rig) {
    std::vector<int> keys;
    for (const auto& m : rig.output.messages()) {
        if (m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0) {
            keys.push_back(m.bytes[1]);
        }
    }
    return keys;
}

TEST(TransposeCommandTest, StaysForTheNextSongsAndTheTrayUntilReset) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "A", 1000);
    rig.addSong("b.mid", "B", 1000);
    for (int i = 0; i < 20; ++i) {
        p.transposeCommand(-1);
    }
    EXPECT_EQ(p.transpose(), -12);
    p.transposeCommand(+9);
    EXPECT_EQ(rig.view.named("transpose").last(), QStringLiteral("-3"));
    p.playEntry(0);
    rig.run(500);
    p.playEntry(1);
    rig.run(500);
    RecordingView tray;
    p.enterTray(tray);
    p.playEntry(0);
    rig.run(500);
    p.returnFromTray(rig.view);
    p.resetTransposeCommand();
    p.playEntry(1);
    rig.run(500);
    EXPECT_EQ(keysPlayed(rig), (std::vector<int>{57, 57, 57, 60}));
    EXPECT_EQ(rig.settings.transpose, 0);

    // A saved shift is taken by the next start.
    PlayerRig next;
    next.settings.transpose = 5;
    next.player = std::make_unique<Player>(next.engine, next.settings, next.module,
                                           next.interaction, next.random, PlayerServices{});
    next.player->attachView(next.view, WindowMode::Main);
    next.addSong("c.mid", "C", 1000);
    next.player->playEntry(0);
    next.run(500);
    EXPECT_EQ(keysPlayed(next), std::vector<int>{65});
}

TEST(DeviceCommandTest, PlayingSongsSwitchAtOnceStoppedOnesAtTheNextLoad) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "A", 8000);
    p.playEntry(0);
    rig.run(500);
    p.deviceBCommand();
    rig.run(500);
    EXPECT_EQ(rig.engine.device(), 1);
    EXPECT_EQ(rig.view.named("device").last(), QStringLiteral("1"));
    EXPECT_EQ(rig.settings.deviceNumber, QStringLiteral("B"));
    EXPECT_TRUE(rig.settings.keyCheck);
    EXPECT_TRUE(p.state().choice.deviceBChosen);

    p.transportStop();
    p.deviceACommand();
    EXPECT_EQ(rig.engine.device(), 1);
    EXPECT_EQ(rig.view.named("device").last(), QStringLiteral("0"));
    EXPECT_FALSE(rig.settings.keyCheck);

    // Choosing the automatic choice twice keeps it chosen.
    p.autoDeviceCommand();
    p.autoDeviceCommand();
    EXPECT_TRUE(p.state().choice.autoChosen);
    EXPECT_FALSE(p.state().choice.deviceAChosen || p.state().choice.deviceBChosen);
    EXPECT_EQ(rig.settings.deviceNumber, QStringLiteral("Auto"));
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
        return {t.playEnabled, t.pauseEnabled, t.stopEnabled, t.prevEnabled};
    }
};

TEST_F(TrayTest, EnteringFollowsThePlayingStateAndBuildsANewShuffleOrder) {
    p.enterTray(tray);
    EXPECT_EQ(menu(), std::make_tuple(false, false, false, false));
    p.returnFromTray(rig.view);

    p.playEntry(0);
    rig.settings.repeat = 3;
    p.state().shuffleOrder.clear();
    p.enterTray(tray);
    EXPECT_EQ(menu(), std::make_tuple(false, true, true, true));
    EXPECT_EQ(p.state().shuffleOrder.size(), 2u);

    p.transportPause();
    EXPECT_EQ(menu(), std::make_tuple(true, false, true, true));
    p.returnFromTray(rig.view);
    p.enterTray(tray);
    EXPECT_EQ(menu(), std::make_tuple(true, false, false, false));
    p.transportPlay();
    EXPECT_EQ(menu(), std::make_tuple(false, true, true, true));
    p.transportStop();
    EXPECT_EQ(menu(), std::make_tuple(true, false, true, false));
}

TEST_F(TrayTest, TheTrayLoopKeepsItsSpeedWritesNoDisplayAndStopsAtTheEnd) {
    rig.addSong("t.mid", "T", 4000, 120, 100, 1000);
    p.doubleSpeedCommand();
    p.repeatCommand(0);
    p.enterTray(tray);
    p.playEntry(2);
    EXPECT_EQ(rig.engine.bpm(), 240);
    rig.run(750);
    EXPECT_EQ(rig.engine.bpm(), 200);
    EXPECT_EQ(p.tray().speed.speedTempo, 200);
    EXPECT_EQ(p.mainWindow().speed.speedTempo, 0);
    rig.run(5000);
    EXPECT_FALSE(p.state().playRequested);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_EQ(menu(), std::make_tuple(true, false, false, false));
    for (const QString& call : tray.calls) {
        EXPECT_TRUE(call.startsWith("repeat:")) << call.toStdString();
    }
}

TEST_F(TrayTest, ReturningRebuildsTheListAndShowsTheSongInProgress) {
    p.playEntry(1);
    p.doubleSpeedCommand();
    p.enterTray(tray);
    p.transportNext();
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(rig.engine.bpm(), 240);
    rig.view.calls.clear();
    p.returnFromTray(rig.view);
    EXPECT_EQ(rig.view.lines, QStringList({"001：A", "002：B"}));
    EXPECT_EQ(p.mainWindow().caption, QStringLiteral("[001/002] A - VESK MIDI PLAYER"));
    EXPECT_EQ(p.mainWindow().statusText, QStringLiteral("PLAY"));
    EXPECT_EQ(p.mainWindow().totalText, QStringLiteral("00:01"));
    EXPECT_FALSE(p.mainWindow().speed.doubleSpeed);
    EXPECT_EQ(rig.engine.bpm(), 240);
    EXPECT_EQ(p.mode(), WindowMode::Main);
}

}  // namespace
}  // namespace vesk::player::test
