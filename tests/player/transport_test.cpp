#include <gtest/gtest.h>

#include "player_rig.h"

namespace vesk::player::test {
namespace {

struct TransportTest : ::testing::Test {
    TransportTest() {
        rig.addSong("a.mid", "A", 4000);
        rig.addSong("b.mid", "B", 4000);
        rig.addSong("c.mid", "C", 4000);
        p.UpDate_List(-1);
    }
    PlayerRig rig;
    Player& p = *rig.player;
};

TEST_F(TransportTest, PlayPauseStopSetTheRequestTheSessionAndTheStatusWord) {
    p.TransportPlay();
    EXPECT_TRUE(p.state().PlayRequested);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPlaying);
    EXPECT_EQ(p.mainWindow().StatusText, QStringLiteral("PLAY"));
    EXPECT_TRUE(p.mainWindow().CanPause);
    rig.run(1000);

    p.TransportPause();
    EXPECT_FALSE(p.state().PlayRequested);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPaused);
    EXPECT_EQ(p.mainWindow().StatusText, QStringLiteral("PAUSE"));
    EXPECT_FALSE(p.mainWindow().CanPause);
    rig.run(3000);

    // Resuming goes on where it paused, without loading again.
    p.TransportPlay();
    EXPECT_TRUE(p.state().PlayRequested);
    EXPECT_EQ(rig.loads(), 1);
    EXPECT_EQ(rig.engine.NowPos(), 1000);

    p.TransportStop();
    EXPECT_FALSE(p.state().PlayRequested);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionStopped);
    EXPECT_EQ(p.mainWindow().StatusText, QStringLiteral("STOP"));
    EXPECT_EQ(p.mainWindow().NowText, QStringLiteral("00:00"));
    EXPECT_EQ(p.mainWindow().PositionBarWidth, 1);
    EXPECT_EQ(p.mainWindow().TitleLeft, kTitleStartLeft);

    // After STOP, PLAY loads the song afresh: the device is reset again.
    p.TransportPlay();
    EXPECT_EQ(rig.loads(), 2);
    EXPECT_EQ(rig.resets().size(), 2);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPlaying);
}

TEST_F(TransportTest, PrevRestartsWhilePlayingStopsWhilePausedAndAlwaysFlashes) {
    p.TransportPlay();
    rig.run(1500);
    p.TransportPrev();
    EXPECT_LT(rig.engine.NowPos(), 250);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPlaying);
    EXPECT_TRUE(p.state().PlayRequested);
    EXPECT_EQ(rig.interaction.eventRuns, 1);
    EXPECT_EQ(rig.view.named("status").mid(2), QStringList({"PREV", "PLAY"}));

    rig.run(1000);
    p.TransportPause();
    p.TransportPrev();
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionStopped);
    EXPECT_EQ(rig.engine.NowPos(), 0);
    EXPECT_FALSE(p.state().PlayRequested);

    p.TransportStop();
    const auto commands = rig.log.commands.size();
    p.TransportPrev();
    EXPECT_EQ(rig.log.commands.size(), commands);
    EXPECT_EQ(rig.view.named("status").mid(7), QStringList({"STOP", "PREV", "STOP"}));
}

TEST_F(TransportTest, NextAndBackWrapAndKeepTheRememberedStatusWord) {
    p.PlayEntry(2);
    p.TransportStop();
    p.TransportNext();
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_EQ(p.state().PreviousEntry, 0);
    EXPECT_TRUE(p.state().PlayRequested);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPlaying);
    // The new song plays, but the word shown is the one from before.
    EXPECT_EQ(rig.view.named("status").mid(1), QStringList({"STOP", "NEXT", "PLAY", "STOP"}));
    EXPECT_EQ(rig.view.named("select").last(), QStringLiteral("0"));

    p.TransportBack();
    EXPECT_EQ(p.state().CurrentEntry, 2);
    p.TransportBack();
    EXPECT_EQ(p.state().CurrentEntry, 1);
    EXPECT_EQ(p.state().PlayOrderPos, 1);
}

TEST_F(TransportTest, InShuffleModeNextAndBackWalkTheShuffleOrderFromTheChosenSong) {
    rig.settings.Repeat = 3;
    p.state().ShuffleOrder = {2, 0, 1};
    p.PlayEntry(0);  // position 1
    EXPECT_EQ(p.state().PlayOrderPos, 1);
    p.TransportNext();
    EXPECT_EQ(p.state().CurrentEntry, 1);
    p.TransportNext();
    EXPECT_EQ(p.state().CurrentEntry, 2);
    EXPECT_EQ(p.state().PlayOrderPos, 0);
    p.TransportBack();
    EXPECT_EQ(p.state().CurrentEntry, 1);
    EXPECT_EQ(p.state().PlayOrderPos, 2);
}

TEST(TransportEdgeTest, OneSongRestartsAndAnEmptyListPlaysNothing) {
    PlayerRig rig;
    Player& p = *rig.player;
    p.TransportNext();
    p.TransportPlay();
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionClosed);
    EXPECT_FALSE(p.state().PlayRequested);

    rig.addSong("a.mid", "A", 4000);
    p.TransportNext();
    p.TransportBack();
    EXPECT_EQ(rig.loads(), 2);
    EXPECT_EQ(p.state().CurrentEntry, 0);

    // With the current song deleted, PLAY starts from the top.
    rig.addSong("b.mid", "B", 4000);
    p.UpDate_List(-1);
    p.DeleteEntry(0);
    p.TransportPlay();
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_EQ(rig.engine.Title(), QStringLiteral("B"));
}

}  // namespace
}  // namespace vesk::player::test
