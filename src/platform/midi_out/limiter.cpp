#include "platform/midi_out/limiter.h"

#include <algorithm>
#include <cmath>

namespace vesk::platform::midiout {

namespace {
// The gain returns to 1 with this time constant once loud passages are over.
constexpr double kReleaseSeconds = 0.15;
}  // namespace

Limiter::Limiter(int sampleRate)
    : recovery_(static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * sampleRate)))) {}

void Limiter::process(float* left, float* right, int frames) {
    for (int i = 0; i < frames; ++i) {
        const float peak = std::max(std::abs(left[i]), std::abs(right[i]));
        if (gain_ < 1.0f) {
            gain_ = std::min(1.0f, gain_ + (1.0f - gain_) * recovery_);
        }
        if (peak * gain_ > kCeiling) {
            gain_ = kCeiling / peak;
        }
        if (gain_ < 1.0f) {
            left[i] *= gain_;
            right[i] *= gain_;
        }
    }
}

}  // namespace vesk::platform::midiout
