#pragma once
// The built-in synthesizer playing through the system's sound output. FluidSynth's audio
// driver calls back for every audio period; the callback applies each queued message at
// the frame that corresponds to its deadline on the playback clock, so timing does not
// depend on the period size.
//
// Clock time maps to frames with a fixed latency: a message due at time t sounds at the
// frame the output reaches at t + latency. startAudio returns only once the output has
// filled its buffer and calls back at its own pace, so a song started afterwards finds the
// clock-to-frame line in place for its first note. The latency is two audio periods plus 10 ms
// unless configured, enough for a message sent at its deadline to arrive before its frame
// is rendered even when the driver asks for two periods back to back.

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

#include "platform/clock.h"
#include "platform/midi_out/event_ring.h"
#include "platform/midi_out/synth_core.h"
#include "platform/midi_out_error.h"

namespace vesk::platform::midiout {

struct AudioOptions {
    QString driver;        // a FluidSynth audio driver name; empty chooses one
    int periodSize = 512;  // frames per callback
    int periods = 4;
    Nanos latency{0};  // 0 = two periods + 10 ms
    friend bool operator==(const AudioOptions&, const AudioOptions&) = default;
};

// The audio drivers tried, in order, when none is configured.
QStringList automaticAudioDrivers();
// The sound outputs this FluidSynth can play through, for the user to choose from: the
// automatic ones first, in their order, then the others it was built with.
QStringList offeredAudioDrivers();

class LiveSynth {
  public:
    LiveSynth(std::unique_ptr<SynthCore> core, std::shared_ptr<const Clock> clock);
    ~LiveSynth();
    LiveSynth(const LiveSynth&) = delete;
    LiveSynth& operator=(const LiveSynth&) = delete;

    // Any thread. False when the message is too long or the queue is full. Messages are
    // applied in the order posted, so post them in the order of their deadlines.
    bool post(std::span<const std::uint8_t> message, Nanos due, MidiPort port = MidiPort::A);
    // Any thread: the message is applied at the start of the next period.
    bool postNow(std::span<const std::uint8_t> message, MidiPort port = MidiPort::A);

    // One audio period. The driver's thread calls it; tests call it in the driver's place.
    void process(float* left, float* right, int frames);

    // Opens the sound output and waits (a few seconds at most) until its callbacks come at
    // a steady pace. On failure `error` tells the user why, naming the drivers tried.
    MidiOutError startAudio(const AudioOptions& options, QString& error);
    void stopAudio();
    bool audioRunning() const { return driver_ != nullptr; }

    // Sets the latency for a run without a driver (tests); startAudio sets its own.
    void setLatency(Nanos latency);
    Nanos latency() const { return Nanos{latency_.load(std::memory_order_relaxed)}; }

    // Touch only while no audio runs.
    SynthCore& core() { return *core_; }

  private:
    class RingSource;
    static int audioCallback(void* data, int len, int nfx, float* fx[], int nout, float* out[]);
    std::int64_t frameFor(Nanos due) const;

    std::unique_ptr<SynthCore> core_;
    std::shared_ptr<const Clock> clock_;
    EventRing ring_;
    std::atomic<std::int64_t> latency_{0};
    void waitUntilSteady();
    void follow(Nanos now, std::int64_t position);

    // The clock-to-frame line, kept by the audio thread only: frame = base_ + drift_ +
    // (t - origin_) * rate. drift_ is the least late callback of the last two windows, so
    // the jitter of the others does not reach the events, and an output clock that runs
    // slower than the playback clock is followed within two windows without the line
    // sinking against one that keeps time.
    bool anchored_ = false;
    Nanos origin_{0};
    Nanos lastCallback_{0};
    Nanos windowStart_{0};
    std::int64_t base_ = 0;
    double drift_ = 0.0;
    double windowBest_ = 0.0;
    double previousWindowBest_ = 0.0;
    int paced_ = 0;
    std::atomic<bool> steady_{false};
    // Declared last so that it stops, and its thread ends, before anything above goes.
    FluidAudioDriverPtr driver_;
};

}  // namespace vesk::platform::midiout
