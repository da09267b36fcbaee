#include <gtest/gtest.h>

#include "config/settings.h"

namespace vesk::config {
namespace {

TEST(LoopSettings, CountsOutsideTheMenuFallBackToTheDefault) {
    for (const auto& [text, expected] : std::vector<std::pair<QByteArray, int>>{
             {"0", 0}, {"8", 8}, {"9", 2}, {"-1", 2}, {"x", 0}}) {
        const ConfigReadResult r = readConfig("[VESK MIDI INIT FILE]\r\nLOOPS=" + text);
        EXPECT_EQ(r.settings.loops, expected) << text.toStdString();
    }
    // A file from before loop points plays looped songs twice, only while one repeats.
    const ConfigReadResult old = readConfig("[VESK MIDI INIT FILE]\r\nREPEAT=1\r\n");
    EXPECT_EQ(old.settings.loops, 2);
    EXPECT_FALSE(old.settings.loopAlways);
    EXPECT_TRUE(readConfig("[VESK MIDI INIT FILE]\r\nLOOPALWAYS=1").settings.loopAlways);
}

}  // namespace
}  // namespace vesk::config
