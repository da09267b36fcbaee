#include <gtest/gtest.h>

#include <algorithm>

#include "player/play_order.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

TEST(PlayOrderTest, NeighboursWrapAndIndicesOutsideTheListRestart) {
    EXPECT_EQ(nextIndex(0, 2), 1);
    EXPECT_EQ(nextIndex(2, 2), 0);
    EXPECT_EQ(nextIndex(0, 0), 0);
    EXPECT_EQ(nextIndex(-1, 2), 0);
    EXPECT_EQ(nextIndex(7, 2), 0);
    EXPECT_EQ(backIndex(0, 2), 2);
    EXPECT_EQ(backIndex(2, 2), 1);
    EXPECT_EQ(backIndex(-1, 2), 2);
    EXPECT_EQ(backIndex(7, 2), 2);
    // A play-order position left beyond a shortened list starts again at 0.
    EXPECT_EQ(nextPosition(9, 3), 0);
    EXPECT_EQ(previousPosition(9, 3), 3);
    EXPECT_EQ(nextPosition(0, -1), 0);
}

TEST(PlayOrderTest, ShufflePositionsMapToEntriesAndBack) {
    const std::vector<std::int16_t> order = {2, 0, 1};
    EXPECT_EQ(entryAtPosition(0, true, order), 2);
    EXPECT_EQ(entryAtPosition(2, true, order), 1);
    EXPECT_EQ(entryAtPosition(2, false, order), 2);
    // Songs added after the order was built play in list order.
    EXPECT_EQ(entryAtPosition(4, true, order), 4);
    EXPECT_EQ(positionOfEntry(0, true, order), std::optional<std::int16_t>(1));
    EXPECT_EQ(positionOfEntry(4, true, order), std::optional<std::int16_t>(4));
    EXPECT_EQ(positionOfEntry(1, false, order), std::optional<std::int16_t>(1));
    EXPECT_EQ(positionOfEntry(1, true, {0, 2}), std::nullopt);
}

TEST(ShuffleOrderTest, FisherYatesFromTheTopWithTheGivenNumbers) {
    ScriptedRandom random;
    EXPECT_TRUE(buildShuffleOrder(-1, random).empty());
    EXPECT_EQ(buildShuffleOrder(0, random), std::vector<std::int16_t>{0});
    EXPECT_EQ(random.seeds, 0);

    // k = 2: r = 0 -> swap 2,0 -> {2,1,0}; k = 1: r = 0.99*2 = 1 -> {2,1,0}; k = 0.
    random.values = {0.0, 0.99, 0.5};
    EXPECT_EQ(buildShuffleOrder(2, random), (std::vector<std::int16_t>{2, 1, 0}));
    EXPECT_EQ(random.seeds, 1);

    // A generator answering 1.0 stays inside the list.
    random.values = {1.0};
    random.used = 0;
    const auto order = buildShuffleOrder(4, random);
    std::vector<std::int16_t> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::int16_t>{0, 1, 2, 3, 4}));
}

TEST(ShuffleOrderTest, TheClockSeededGeneratorGivesPermutations) {
    ClockSeededRandom random;
    for (int round = 0; round < 20; ++round) {
        auto order = buildShuffleOrder(9, random);
        std::sort(order.begin(), order.end());
        for (std::int16_t i = 0; i <= 9; ++i) {
            ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
        }
    }
}

}  // namespace
}  // namespace vesk::player::test
