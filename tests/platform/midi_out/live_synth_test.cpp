#include "platform/midi_out/live_synth.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <random>

#include "platform/midi_out/frame_time.h"
#include "platform/midi_out/synth_fixture.h"

namespace vesk::platform::midiout {
namespace {

using namespace std::chrono_literals;

class ManualClock final : public Clock {
  public:
    Nanos now() const override { return Nanos{t_.load()}; }
    void set(Nanos t) { t_.store(t.count()); }

  private:
    std::atomic<std::int64_t> t_{0};
};

std::unique_ptr<LiveSynth> makeLive(std::shared_ptr<ManualClock> clock) {
    QString error;
    auto core = SynthCore::create({test::smallSoundFont()}, error);
    EXPECT_NE(core, nullptr) << error.toStdString();
    if (!core) {
        return nullptr;
    }
    return std::make_unique<LiveSynth>(std::move(core), std::move(clock));
}

// Stands in for an audio driver: it first fills its buffer of four periods at once, then
// calls back whenever a period has played, late by up to 1.5 ms as on a loaded machine,
// while a playback thread sends each note at its deadline.
struct DriverRun {
    int period = 512;
    bool bursts = false;  // callbacks in pairs, two periods at once
    double skew = 0.0;    // how much faster the playback clock runs than the output's
    std::vector<Nanos> notes;
    std::vector<float> out;
};

void run(LiveSynth& live, ManualClock& clock, DriverRun& r, Nanos length) {
    constexpr std::int64_t kFill = 4;
    const int rate = live.core().sampleRate();
    std::mt19937 random(99);
    std::vector<float> left(static_cast<std::size_t>(r.period));
    std::vector<float> right(static_cast<std::size_t>(r.period));
    const Nanos periodTime = nanosFromFrames(r.period, rate);
    const Nanos maxLate = 1500us;
    std::size_t next = 0;
    for (std::int64_t k = 0;; ++k) {
        std::int64_t played = std::max<std::int64_t>(0, k - kFill + 1);
        if (r.bursts) {
            played = played / 2 * 2;
        }
        Nanos ideal = periodTime * played;
        if (ideal > length) {
            break;
        }
        Nanos now =
            Nanos{static_cast<std::int64_t>(static_cast<double>(ideal.count()) * (1.0 + r.skew))} +
            Nanos{static_cast<std::int64_t>(random() % maxLate.count())};
        clock.set(now);
        while (next < r.notes.size() && r.notes[next] <= now) {
            // Closed hi-hat: short enough that the notes do not overlap.
            live.post(std::array<std::uint8_t, 3>{0x99, 42, 120}, r.notes[next]);
            ++next;
        }
        live.process(left.data(), right.data(), r.period);
        for (int i = 0; i < r.period; ++i) {
            r.out.push_back(left[static_cast<std::size_t>(i)]);
            r.out.push_back(right[static_cast<std::size_t>(i)]);
        }
    }
}

TEST(LiveSynthTiming, NotesKeepTheirSpacingDespiteCallbackJitter) {
    for (int period : {64, 512, 4096}) {
        for (bool bursts : {false, true}) {
            auto clock = std::make_shared<ManualClock>();
            auto live = makeLive(clock);
            ASSERT_TRUE(live);
            const int rate = live->core().sampleRate();
            const Nanos latency = nanosFromFrames(2 * period, rate) + 10ms;
            live->setLatency(latency);
            DriverRun r;
            r.period = period;
            r.bursts = bursts;
            for (int i = 0; i < 8; ++i) {
                r.notes.push_back(1s + i * 700ms + Nanos{i * 1'234'567});
            }
            run(*live, *clock, r, 7s);
            std::vector<std::int64_t> onsets;

            // The line runs ahead of the clock by the buffer the driver filled first.
            const std::int64_t ahead = (bursts ? 4 : 3) * period;
            for (std::size_t i = 0; i < r.notes.size(); ++i) {
                std::int64_t ideal = framesFromNanos(r.notes[i] + latency, rate) + ahead;
                std::int64_t onset = test::firstSoundingFrame(r.out, ideal - rate / 5, 1e-3f);
                ASSERT_GE(onset, 0) << "note " << i;
                onsets.push_back(onset - ideal);
            }
            auto [low, high] = std::minmax_element(onsets.begin(), onsets.end());
            EXPECT_LE(*high - *low, 64 + rate / 5000)
                << "period " << period << " bursts " << bursts;
            // Besides FluidSynth's block, only the lateness of the best callback is left.
            EXPECT_GE(*low, -kSynthBlockFrames / 2 - framesFromNanos(1500us, rate));
            EXPECT_LE(*high, kSynthBlockFrames / 2 + framesFromNanos(1500us, rate));
        }
    }
}

// Over a long song the notes stay where the output's own clock puts them, whether that
// clock keeps time with the playback clock or runs slower than it (the line follows the
// slower one down instead of keeping its best callback forever).
TEST(LiveSynthTiming, LongSongsStayOnTheOutputClock) {
    for (double skew : {0.0, 300e-6}) {
        auto clock = std::make_shared<ManualClock>();
        auto live = makeLive(clock);
        ASSERT_TRUE(live);
        const int rate = live->core().sampleRate();
        const Nanos latency = 40ms;
        live->setLatency(latency);
        DriverRun r;
        r.skew = skew;
        for (int i = 0; i < 10; ++i) {
            r.notes.push_back(1s + i * 2s);
        }
        run(*live, *clock, r, 21s);
        for (std::size_t i = 0; i < r.notes.size(); ++i) {
            const double outputSeconds =
                std::chrono::duration<double>(r.notes[i] + latency).count() / (1.0 + skew);
            const auto ideal = static_cast<std::int64_t>(outputSeconds * rate) + 3 * r.period;
            const std::int64_t onset = test::firstSoundingFrame(r.out, ideal - rate / 5, 1e-3f);
            ASSERT_GE(onset, 0) << "note " << i;
            EXPECT_NEAR(static_cast<double>(onset - ideal), 0.0,
                        kSynthBlockFrames + framesFromNanos(1500us, rate))
                << "note " << i << " skew " << skew;
        }
    }
}

TEST(LiveSynthTiming, ImmediateMessagesApplyInTheNextPeriod) {
    auto clock = std::make_shared<ManualClock>();
    auto live = makeLive(clock);
    ASSERT_TRUE(live);
    live->setLatency(50ms);
    std::vector<float> left(512);
    std::vector<float> right(512);
    clock->set(1s);
    live->process(left.data(), right.data(), 512);
    const std::array<std::uint8_t, 9> xgOn{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    ASSERT_TRUE(live->postNow(xgOn));
    // A message due long ago counts as overdue, not as a wrap-around of the clock.
    ASSERT_TRUE(live->post(std::array<std::uint8_t, 2>{0xC0, 5}, Nanos::min()));
    EXPECT_EQ(live->core().style(), ResetStyle::Gs);
    clock->set(1s + 11ms);
    live->process(left.data(), right.data(), 512);
    EXPECT_EQ(live->core().style(), ResetStyle::Xg);
    EXPECT_EQ(live->core().channelProgram(0), (ChannelProgram{0, 5}));
}

TEST(LiveSynthAudio, NoSoundOutputIsAnErrorNotACrash) {
    auto clock = std::make_shared<ManualClock>();
    auto live = makeLive(clock);
    ASSERT_TRUE(live);
    AudioOptions options;
    options.driver = QStringLiteral("no-such-driver");
    QString error;
    EXPECT_NE(live->startAudio(options, error), MidiOutError::None);
    EXPECT_TRUE(error.contains(QStringLiteral("no-such-driver")));
    EXPECT_FALSE(live->audioRunning());
}

}  // namespace
}  // namespace vesk::platform::midiout
