#include "platform/midi_out/frame_time.h"

#include <cmath>

namespace vesk::platform::midiout {

namespace {
constexpr std::int64_t kNanosPerSecond = 1'000'000'000;
}

std::int64_t framesFromNanos(Nanos t, int sampleRate) {
    std::int64_t seconds = t.count() / kNanosPerSecond;
    std::int64_t rest = t.count() % kNanosPerSecond;
    return seconds * sampleRate +
           std::llround(static_cast<double>(rest) * sampleRate / kNanosPerSecond);
}

Nanos nanosFromFrames(std::int64_t frames, int sampleRate) {
    std::int64_t seconds = frames / sampleRate;
    std::int64_t rest = frames % sampleRate;
    return Nanos{seconds * kNanosPerSecond +
                 std::llround(static_cast<double>(rest) * kNanosPerSecond / sampleRate)};
}

}  // namespace vesk::platform::midiout
