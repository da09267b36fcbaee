#pragma once
// Time for playback. Everything that plays music asks an injected Clock, so tests, the
// renderer and benchmarks run the same code on a virtual clock.

#include <chrono>

namespace vesk::platform {

using Nanos = std::chrono::nanoseconds;

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic time since an arbitrary origin.
    virtual Nanos now() const = 0;
};

// The real monotonic clock.
class SteadyClock final : public Clock {
  public:
    Nanos now() const override {
        return std::chrono::duration_cast<Nanos>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

}  // namespace vesk::platform
