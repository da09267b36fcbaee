#include "bench/synth_timing.h"

#include <gtest/gtest.h>

#include "platform/midi_out/frame_time.h"
#include "platform/midi_out/synth_fixture.h"

namespace vesk::platform::midiout {
namespace {

TEST(SynthTiming, ProbeSongTimesFollowItsTempoChanges) {
    TimingProbe probe = makeTimingProbe(17);
    ASSERT_EQ(probe.noteOns.size(), 17u);
    ASSERT_EQ(probe.messages.size(), 34u);
    EXPECT_EQ(probe.smf.left(4), "MThd");
    // Hit 0 sits one beat in at 120 bpm. Hit 8 is where the tempo changes to 618556 us
    // per beat, nine beats (4.5 s) in, and (8 * 37) % 23 = 20 ticks late at the new tempo.
    EXPECT_EQ(probe.noteOns[0], std::chrono::milliseconds(500));
    const double expected8 = 4.5e9 + 20 * 618556e3 / 480;
    EXPECT_NEAR(static_cast<double>(probe.noteOns[8].count()), expected8, 1000.0);
    EXPECT_EQ(probe.length, probe.messages.back().due);
}

TEST(SynthTiming, OnsetsAreFoundOncePerSeparatedSound) {
    std::vector<float> audio(2 * 20000, 0.0f);
    for (std::int64_t f : {100, 101, 5000, 5001, 5500}) {
        audio[static_cast<std::size_t>(2 * f + 1)] = 0.5f;
    }
    EXPECT_EQ(detectOnsets(audio, 1e-3f, 2048), (std::vector<std::int64_t>{100, 5000}));

    auto summary = compareOnsets({100, 5000},
                                 {Nanos{0}, nanosFromFrames(4990, 44100), std::chrono::seconds(10)},
                                 44100, 100);
    EXPECT_EQ(summary.matched, 2u);
    EXPECT_EQ(summary.missing, 1u);
    EXPECT_EQ(summary.maxFrames, 90);
}

TEST(SynthTiming, BuiltInSynthesizerMeetsItsGoalAtAnyPeriod) {
    SynthConfig config;
    config.soundFont = test::smallSoundFont();
    TimingProbe probe = makeTimingProbe(48);
    auto rows = runSynthTimingBenchmark(config, {64, 4096}, probe);
    ASSERT_EQ(rows.size(), 2u);
    const double goal = 64 + 0.0002 * config.sampleRate;
    for (const TimingRow& row : rows) {
        EXPECT_EQ(row.builtIn.missing, 0u) << row.period;
        EXPECT_EQ(row.builtIn.matched, probe.noteOns.size());
        EXPECT_LE(row.builtIn.p99Frames, goal) << row.period;
    }
    EXPECT_TRUE(formatTimingReport(rows, config.sampleRate).contains(QStringLiteral("4096")));
}

}  // namespace
}  // namespace vesk::platform::midiout
