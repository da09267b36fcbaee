#pragma once
// Time for playback. Everything that plays music asks an injected Clock, so tests, the
// renderer and benchmarks run the same code on a virtual clock.

#include <atomic>
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

// A clock that moves only when told to, for deterministic tests, offline rendering and
// benchmarks. Reading it from another thread is safe.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(Nanos start = Nanos{0}) : now_(start.count()) {}
    Nanos now() const override { return Nanos{now_.load(std::memory_order_acquire)}; }
    void set(Nanos t) { now_.store(t.count(), std::memory_order_release); }
    void advance(Nanos d) { now_.fetch_add(d.count(), std::memory_order_acq_rel); }

  private:
    std::atomic<Nanos::rep> now_;
};

}  // namespace vesk::platform
