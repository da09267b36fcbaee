#include "sequencer/tempo_map.h"

#include <gtest/gtest.h>

#include <limits>

namespace vesk::sequencer {
namespace {

TEST(TempoMap, ConvertsBothWaysAcrossTempoChanges) {
    const TempoChange changes[] = {
        {0, 600000}, {0, 500000}, {96, 250000}, {192, 0}, {288, 1000000}};
    const TempoMap map = TempoMap::metrical(96, changes);
    // The later of two changes at one tick wins; tempo 0 is ignored.
    EXPECT_EQ(map.nsAt(std::uint32_t{96}), 500'000'000);
    EXPECT_EQ(map.nsAt(std::uint32_t{192}), 750'000'000);
    EXPECT_EQ(map.nsAt(std::uint32_t{288}), 1'000'000'000);
    EXPECT_EQ(map.nsAt(std::uint32_t{384}), 2'000'000'000);
    EXPECT_DOUBLE_EQ(map.tickAt(875'000'000), 240.0);
    EXPECT_DOUBLE_EQ(map.nsAt(240.0), 875'000'000.0);
    EXPECT_EQ(map.microsPerQuarterAt(95.9), 500000u);
    EXPECT_EQ(map.microsPerQuarterAt(96), 250000u);
    EXPECT_EQ(map.nextChangeAfter(0), 96u);
    EXPECT_EQ(map.nextChangeAfter(96), 288u);
    EXPECT_FALSE(map.nextChangeAfter(288).has_value());
}

TEST(TempoMap, FirstTickAtOrAfterFindsTheExactBoundary) {
    const TempoMap map = TempoMap::metrical(480, {});  // a tick is 1 041 666.67 ns
    EXPECT_EQ(map.firstTickAtOrAfter(0), 0u);
    EXPECT_EQ(map.firstTickAtOrAfter(1), 1u);
    EXPECT_EQ(map.firstTickAtOrAfter(1'041'666), 1u);
    EXPECT_EQ(map.firstTickAtOrAfter(1'041'667), 2u);
    EXPECT_EQ(map.firstTickAtOrAfter(500'000'000), 480u);
    EXPECT_EQ(map.firstTickAtOrAfter(500'000'001), 481u);
}

TEST(TempoMap, SmpteTimeIncludingDropFrameRate) {
    const TempoMap pal = TempoMap::smpte(25, 40);
    EXPECT_EQ(pal.nsAt(std::uint32_t{1000}), 1'000'000'000);
    EXPECT_DOUBLE_EQ(pal.ticksPerQuarter(), 500.0);
    const TempoMap ntsc = TempoMap::smpte(29, 100);
    // 30 frames at 30000/1001 frames per second last 1.001 s.
    EXPECT_EQ(ntsc.nsAt(std::uint32_t{3000}), 1'001'000'000);
    EXPECT_FALSE(ntsc.nextChangeAfter(0).has_value());
}

TEST(TempoMap, ExtremeValuesSaturateInsteadOfOverflowing) {
    const TempoChange slowest[] = {{0, 0xFFFFFF}};
    const TempoMap map = TempoMap::metrical(1, slowest);
    const std::uint32_t last = std::numeric_limits<std::uint32_t>::max();
    EXPECT_GT(map.nsAt(last), 0);
    EXPECT_GE(map.nsAt(last), map.nsAt(last - 1));
    EXPECT_EQ(map.firstTickAtOrAfter(map.nsAt(std::uint32_t{1000})), 1000u);
}

}  // namespace
}  // namespace vesk::sequencer
