#include <gtest/gtest.h>

#include <algorithm>

#include "player/play_order.h"
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

TEST_F(TransportTest, PauseResumesWhereItWasStopLoadsAfreshAndResetsTheDeviceAgain) {
    QStringList words;
    const auto word = [&] { words.append(rig.view.named("status").last()); };
    p.transportPlay();
    word();
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    rig.run(1000);
    p.transportPause();
    word();
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPaused);
    EXPECT_FALSE(p.mainWindow().canPause);
    rig.run(3000);
    p.transportPlay();
    EXPECT_EQ(rig.loads(), 1);
    EXPECT_EQ(rig.engine.nowPos(), 1000);

    p.transportStop();
    word();
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionStopped);
    EXPECT_EQ(rig.view.named("now").last(), QStringLiteral("00:00"));
    EXPECT_EQ(rig.view.barWidth, 1);
    EXPECT_EQ(rig.view.titleLeft, kTitleStartLeft);
    p.transportPlay();
    EXPECT_EQ(rig.loads(), 2);
    EXPECT_EQ(rig.resets().size(), 2);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    word();
    EXPECT_EQ(words, QStringList({"PLAY", "PAUSE", "STOP", "PLAY"}));
}

TEST_F(TransportTest, PrevRestartsWhilePlayingStopsWhilePausedAndAlwaysFlashes) {
    p.transportPlay();
    rig.run(1500);
    p.transportPrev();
    EXPECT_LT(rig.engine.nowPos(), 250);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    EXPECT_EQ(rig.interaction.eventRuns, 1);
    EXPECT_EQ(rig.view.named("status").mid(2), QStringList({"PREV", "PLAY"}));
    rig.run(1000);
    p.transportPause();
    p.transportPrev();
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionStopped);
    EXPECT_EQ(rig.engine.nowPos(), 0);
    p.transportStop();
    const auto commands = rig.log.commands.size();
    p.transportPrev();
    EXPECT_EQ(rig.log.commands.size(), commands);
    EXPECT_EQ(rig.view.named("status").mid(7), QStringList({"STOP", "PREV", "STOP"}));
}

TEST_F(TransportTest, NextAndBackWrapInListOrShuffleOrder) {
    p.playEntry(2);
    p.transportStop();
    p.transportNext();
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    // The new song plays and says so: the stopped word of the song left is not put back.
    EXPECT_EQ(rig.view.named("status").mid(1), QStringList({"STOP", "NEXT", "PLAY"}));
    EXPECT_EQ(rig.view.named("select").last(), QStringLiteral("0"));
    p.transportBack();
    EXPECT_EQ(p.state().currentEntry, 2);

    rig.settings.repeat = 3;
    p.state().shuffleOrder = {2, 0, 1};
    p.playEntry(0);  // position 1
    std::vector<std::int16_t> walked;
    for (auto step : {&Player::transportNext, &Player::transportNext, &Player::transportBack}) {
        (p.*step)();
        walked.push_back(p.state().currentEntry);
    }
    EXPECT_EQ(walked, (std::vector<std::int16_t>{1, 2, 1}));
    EXPECT_EQ(p.state().playOrderPos, 2);
}

TEST(TransportEdgeTest, OneSongRestartsAndAnEmptyListPlaysNothing) {
    PlayerRig rig;
    Player& p = *rig.player;
    p.transportNext();
    p.transportPlay();
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
    EXPECT_EQ(rig.engine.title(), QStringLiteral("B"));
}

TEST(PlayOrderTest, NeighboursWrapAndTheShuffleIsFisherYatesFromTheTop) {
    EXPECT_EQ(nextIndex(2, 2), 0);
    EXPECT_EQ(nextIndex(-1, 2), 0);
    EXPECT_EQ(backIndex(0, 2), 2);
    EXPECT_EQ(backIndex(-1, 2), 2);
    EXPECT_EQ(nextPosition(9, 3), 0);
    EXPECT_EQ(previousPosition(9, 3), 3);
    // Songs added after the shuffle order was built play at their own place.
    const std::vector<std::int16_t> order = {2, 0, 1};
    EXPECT_EQ(entryAtPosition(4, true, order), 4);
    EXPECT_EQ(positionOfEntry(4, true, order), std::optional<std::int16_t>(4));
    EXPECT_EQ(positionOfEntry(1, true, {0, 2}), std::nullopt);

    ScriptedRandom random;
    EXPECT_TRUE(buildShuffleOrder(-1, random).empty());
    EXPECT_EQ(buildShuffleOrder(0, random), std::vector<std::int16_t>{0});
    EXPECT_EQ(random.seeds, 0);
    // k = 2 swaps with 0, k = 1 with itself (0.99 * 2), k = 0 with itself.
    random.values = {0.0, 0.99, 0.5};
    EXPECT_EQ(buildShuffleOrder(2, random), (std::vector<std::int16_t>{2, 1, 0}));
    EXPECT_EQ(random.seeds, 1);
    ClockSeededRandom clockSeeded;
    random.values = {1.0};  // a generator that strays to 1 stays inside the list
    for (RandomSource* source : std::vector<RandomSource*>{&random, &clockSeeded}) {
        auto shuffled = buildShuffleOrder(9, *source);
        std::sort(shuffled.begin(), shuffled.end());
        EXPECT_EQ(shuffled, (std::vector<std::int16_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }
}

}  // namespace
}  // namespace vesk::player::test
