#include "platform/midi_out/limiter.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <vector>

#include "platform/midi_out/synth_fixture.h"

namespace vesk::platform::midiout {
namespace {

using namespace std::chrono_literals;

TEST(Limiter, QuietSoundPassesUntouchedAndLoudSoundIsTurnedDownNotClipped) {
    Limiter limiter(44100);
    std::vector<float> left(44100);
    std::vector<float> right(44100);
    for (std::size_t i = 0; i < left.size(); ++i) {
        left[i] = 0.5f * static_cast<float>(std::sin(i * 0.05));
        right[i] = -left[i];
    }
    const std::vector<float> quiet = left;
    limiter.process(left.data(), right.data(), 44100);
    EXPECT_EQ(left, quiet);

    // A burst at four times full scale, then the quiet tone again.
    std::vector<float> loud(4410);
    for (std::size_t i = 0; i < loud.size(); ++i) {
        loud[i] = 4.0f * static_cast<float>(std::sin(i * 0.05));
    }
    std::vector<float> loudRight = loud;
    limiter.process(loud.data(), loudRight.data(), 4410);
    float top = 0;
    for (std::size_t i = 0; i < loud.size(); ++i) {
        top = std::max({top, std::abs(loud[i]), std::abs(loudRight[i])});
        // Turned down, not squared off: once the first crest has set the gain, the wave
        // keeps its shape.
        if (i > 100 && std::abs(std::sin(i * 0.05)) < 0.1) {
            EXPECT_LT(std::abs(loud[i]), 0.15f) << i;
        }
    }
    EXPECT_LE(top, Limiter::kCeiling + 1e-6f);
    EXPECT_GT(top, 0.8f * Limiter::kCeiling);
    // A second later the gain is back where it was.
    left = quiet;
    limiter.process(left.data(), right.data(), 44100);
    EXPECT_GT(limiter.gain(), 0.99f);
}

TEST(Limiter, ADenseSongRendersBelowFullScale) {
    auto synth = test::makeOfflineSynth();
    ASSERT_TRUE(synth);
    // Sixteen parts, each striking a six-note chord at velocity 127 every quarter second.
    for (int beat = 0; beat < 8; ++beat) {
        const Nanos at = beat * 250ms;
        for (int ch = 0; ch < 16; ++ch) {
            for (int note = 0; note < 6; ++note) {
                const auto key = static_cast<std::uint8_t>(36 + ch * 3 + note * 5);
                const auto status = static_cast<std::uint8_t>(0x90 | ch);
                synth->send(std::array<std::uint8_t, 3>{status, key, 127}, at);
                synth->send(std::array<std::uint8_t, 3>{status, key, 0}, at + 200ms);
            }
        }
    }
    std::vector<float> out;
    synth->renderUntil(2500ms, out);
    float top = 0;
    for (float v : out) {
        top = std::max(top, std::abs(v));
    }
    EXPECT_LE(top, Limiter::kCeiling + 1e-6f);
    // It was loud enough to need the limiter.
    EXPECT_GT(top, 0.95f * Limiter::kCeiling);
}

}  // namespace
}  // namespace vesk::platform::midiout
