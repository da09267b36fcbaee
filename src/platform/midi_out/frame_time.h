#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace vesk::platform::midiout {

// `t` as a count of frames at `sampleRate`, rounded to the nearest frame. Exact for any
// time a clock gives, without overflow.
std::int64_t framesFromNanos(Nanos t, int sampleRate);

// The time at which frame `frames` begins.
Nanos nanosFromFrames(std::int64_t frames, int sampleRate);

}  // namespace vesk::platform::midiout
