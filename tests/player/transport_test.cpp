#include <gtest/gtest.h>

#include "player_rig.h"

namespace vesk::player::test {
namespace {

struct TransportTest : ::testing::Test {
    TransportTest() {
        rig.addSong("a.mid", "A", 4000);
        rig.addSong("b.mid", "B", 4000);
        rig.addSong("c.mid", "C", 4000);
        p.updateList(-1);
    }
    PlayerRig rig;
    Player& p = *rig.player;
};

TEST_F(TransportTest, PlayPauseStopSetTheRequestTheSessionAndTheStatusWord) {
    p.transportPlay();
    EXPECT_TRUE(p.state().playRequested);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    EXPECT_EQ(p.mainWindow().statusText, QStringLiteral("PLAY"));
    EXPECT_TRUE(p.mainWindow().canPause);
    rig.run(1000);

    p.transportPause();
    EXPECT_FALSE(p.state().playRequested);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPaused);
    EXPECT_EQ(p.mainWindow().statusText, QStringLiteral("PAUSE"));
    EXPECT_FALSE(p.mainWindow().canPause);
    rig.run(3000);

    // Resuming goes on where it paused, without loading again.
    p.transportPlay();
    EXPECT_TRUE(p.state().playRequested);
    EXPECT_EQ(rig.loads(), 1);
    EXPECT_EQ(rig.engine.nowPos(), 1000);

    p.transportStop();
    EXPECT_FALSE(p.state().playRequested);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionStopped);
    EXPECT_EQ(p.mainWindow().statusText, QStringLiteral("STOP"));
    EXPECT_EQ(p.mainWindow().nowText, QStringLiteral("00:00"));
    EXPECT_EQ(p.mainWindow().positionBarWidth, 1);
    EXPECT_EQ(p.mainWindow().titleLeft, kTitleStartLeft);

    // After STOP, PLAY loads the song afresh: the device is reset again.
    p.transportPlay();
    EXPECT_EQ(rig.loads(), 2);
    EXPECT_EQ(rig.resets().size(), 2);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
}

TEST_F(TransportTest, PrevRestartsWhilePlayingStopsWhilePausedAndAlwaysFlashes) {
    p.transportPlay();
    rig.run(1500);
    p.transportPrev();
    EXPECT_LT(rig.engine.nowPos(), 250);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    EXPECT_TRUE(p.state().playRequested);
    EXPECT_EQ(rig.interaction.eventRuns, 1);
    EXPECT_EQ(rig.view.named("status").mid(2), QStringList({"PREV", "PLAY"}));

    rig.run(1000);
    p.transportPause();
    p.transportPrev();
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionStopped);
    EXPECT_EQ(rig.engine.nowPos(), 0);
    EXPECT_FALSE(p.state().playRequested);

    p.transportStop();
    const auto commands = rig.log.commands.size();
    p.transportPrev();
    EXPECT_EQ(rig.log.commands.size(), commands);
    EXPECT_EQ(rig.view.named("status").mid(7), QStringList({"STOP", "PREV", "STOP"}));
}

TEST_F(TransportTest, NextAndBackWrapAndKeepTheRememberedStatusWord) {
    p.playEntry(2);
    p.transportStop();
    p.transportNext();
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(p.state().previousEntry, 0);
    EXPECT_TRUE(p.state().playRequested);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    // The new song plays and says so: the stopped word of the song left is not put back.
    EXPECT_EQ(rig.view.named("status").mid(1), QStringList({"STOP", "NEXT", "PLAY"}));
    EXPECT_EQ(rig.view.named("select").last(), QStringLiteral("0"));

    p.transportBack();
    EXPECT_EQ(p.state().currentEntry, 2);
    p.transportBack();
    EXPECT_EQ(p.state().currentEntry, 1);
    EXPECT_EQ(p.state().playOrderPos, 1);
}

TEST_F(TransportTest, InShuffleModeNextAndBackWalkTheShuffleOrderFromTheChosenSong) {
    rig.settings.repeat = 3;
    p.state().shuffleOrder = {2, 0, 1};
    p.playEntry(0);  // position 1
    EXPECT_EQ(p.state().playOrderPos, 1);
    p.transportNext();
    EXPECT_EQ(p.state().currentEntry, 1);
    p.transportNext();
    EXPECT_EQ(p.state().currentEntry, 2);
    EXPECT_EQ(p.state().playOrderPos, 0);
    p.transportBack();
    EXPECT_EQ(p.state().currentEntry, 1);
    EXPECT_EQ(p.state().playOrderPos, 2);
}

TEST(TransportEdgeTest, OneSongRestartsAndAnEmptyListPlaysNothing) {
    PlayerRig rig;
    Player& p = *rig.player;
    p.transportNext();
    p.transportPlay();
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_FALSE(p.state().playRequested);

    rig.addSong("a.mid", "A", 4000);
    p.transportNext();
    p.transportBack();
    EXPECT_EQ(rig.loads(), 2);
    EXPECT_EQ(p.state().currentEntry, 0);

    // With the current song deleted, PLAY starts from the top.
    rig.addSong("b.mid", "B", 4000);
    p.updateList(-1);
    p.deleteEntry(0);
    p.transportPlay();
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(rig.engine.title(), QStringLiteral("B"));
}

}  // namespace
}  // namespace vesk::player::test
