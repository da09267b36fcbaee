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
    std::vector<int> bpms;
    for (auto command :
         {&Player::doubleSpeedCommand, &Player::halfSpeedCommand, &Player::halfSpeedCommand}) {
        (p.*command)();
        bpms.push_back(rig.engine.bpm());
    }
    EXPECT_EQ(bpms, (std::vector<int>{240, 60, 120}));
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
    EXPECT_TRUE(rig.settings.keyCheck);

    p.transportStop();
    p.deviceACommand();
    EXPECT_EQ(rig.engine.device(), 1);
    EXPECT_EQ(rig.view.named("device").last(), QStringLiteral("0"));
    EXPECT_FALSE(rig.settings.keyCheck);

    // Choosing the automatic choice twice keeps it chosen.
    p.autoDeviceCommand();
    p.autoDeviceCommand();
    EXPECT_EQ(rig.settings.deviceNumber, QStringLiteral("Auto"));
}

TEST(TrayModeTest, TheTrayViewGetsOnlyTheRepeatMode) {
    PlayerRig rig;
    rig.addSong("a.mid", "A");
    rig.addSong("b.mid", "B");
    rig.player->playEntry(1);
    RecordingView tray;
    rig.player->enterTray(tray);
    rig.player->transportNext();
    rig.run(1500);
    EXPECT_EQ(rig.view.named("select").size(), 1);
    EXPECT_FALSE(tray.calls.isEmpty());
    for (const QString& call : tray.calls) {
        EXPECT_TRUE(call.startsWith("repeat:")) << call.toStdString();
    }
}

}  // namespace
}  // namespace vesk::player::test
