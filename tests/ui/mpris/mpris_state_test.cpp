#include "ui/mpris/mpris_state.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vesk::ui::mpris {
namespace {

TEST(MprisDecisions, RatesSnapToTheNearestSpeedByRatio) {
    EXPECT_EQ(speedForRate(2.0), Speed::Double);
    EXPECT_EQ(speedForRate(1.5), Speed::Double);
    EXPECT_EQ(speedForRate(1.3), Speed::Normal);
    EXPECT_EQ(speedForRate(0.75), Speed::Normal);
    EXPECT_EQ(speedForRate(0.6), Speed::Half);
    EXPECT_EQ(speedForRate(100.0), Speed::Double);
    EXPECT_EQ(speedForRate(0.0), std::nullopt);
    EXPECT_EQ(speedForRate(-1.0), std::nullopt);
    EXPECT_EQ(speedForRate(std::nan("")), std::nullopt);
    EXPECT_EQ(speedForRate(INFINITY), std::nullopt);
    // The toggling menu commands: back to normal switches off the speed in force.
    EXPECT_EQ(commandFor(Speed::Double, Speed::Normal), SpeedCommand::Double);
    EXPECT_EQ(commandFor(Speed::Half, Speed::Normal), SpeedCommand::Half);
    EXPECT_EQ(commandFor(Speed::Half, Speed::Double), SpeedCommand::Double);
    EXPECT_EQ(commandFor(Speed::Normal, Speed::Normal), SpeedCommand::None);
}

TEST(MprisDecisions, SeeksStopAtTheStartAndPassTheEndToTheNextSong) {
    EXPECT_EQ(seekTarget(10000, -20000000, 60000), 0);
    EXPECT_EQ(seekTarget(10000, 5000000, 60000), 15000);
    EXPECT_EQ(seekTarget(10000, 50000000, 60000), 60000);
    EXPECT_EQ(seekTarget(10000, 50001000, 60000), std::nullopt);
    EXPECT_EQ(seekTarget(0, INT64_MAX, 60000), std::nullopt);
    EXPECT_EQ(seekTarget(0, INT64_MIN, 60000), 0);
}

TEST(MprisDecisions, OnlyChangedPropertiesAreAnnounced) {
    Snapshot before;
    Snapshot after = before;
    EXPECT_TRUE(changedProperties(before, after).isEmpty());
    after.playbackStatus = "Playing";
    after.metadata.insert("xesam:title", "A");
    const QVariantMap changed = changedProperties(before, after);
    EXPECT_EQ(changed.keys(), (QStringList{"Metadata", "PlaybackStatus"}));
    EXPECT_EQ(changed.value("PlaybackStatus").toString(), "Playing");
    EXPECT_EQ(repeatForLoop(3, "Bogus"), std::nullopt);
    EXPECT_EQ(loopStatusOf(99), "None");
}

}  // namespace
}  // namespace vesk::ui::mpris
