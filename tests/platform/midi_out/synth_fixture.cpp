#include "platform/midi_out/synth_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace vesk::platform::midiout::test {

std::unique_ptr<OfflineSynth> makeOfflineSynth(int period) {
    QString error;
    SynthConfig config;
    config.soundFont = smallSoundFont();
    auto synth = OfflineSynth::create(config, error);
    EXPECT_NE(synth, nullptr) << error.toStdString();
    if (synth) {
        synth->setPeriod(period);
    }
    return synth;
}

std::int64_t firstSoundingFrame(const std::vector<float>& interleaved, std::int64_t from,
                                float threshold) {
    for (std::size_t i = static_cast<std::size_t>(from) * 2; i < interleaved.size(); ++i) {
        if (std::abs(interleaved[i]) > threshold) {
            return static_cast<std::int64_t>(i / 2);
        }
    }
    return -1;
}

float peak(const std::vector<float>& interleaved, std::int64_t from, std::int64_t to) {
    float result = 0.0f;
    std::size_t end = std::min(interleaved.size(), static_cast<std::size_t>(to) * 2);
    for (std::size_t i = static_cast<std::size_t>(from) * 2; i < end; ++i) {
        result = std::max(result, std::abs(interleaved[i]));
    }
    return result;
}

}  // namespace vesk::platform::midiout::test
