#include <gtest/gtest.h>

#include <algorithm>

#include "player/play_order.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

TEST(PlayOrderTest, NeighboursWrapAndPlacesOutsideTheListRestart) {
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
}

TEST(ShuffleOrderTest, FisherYatesFromTheTopWithTheGivenNumbers) {
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
        auto order = buildShuffleOrder(9, *source);
        std::sort(order.begin(), order.end());
        EXPECT_EQ(order, (std::vector<std::int16_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }
}

}  // namespace
}  // namespace vesk::player::test
