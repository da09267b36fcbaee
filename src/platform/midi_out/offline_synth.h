#pragma once
// The built-in synthesizer without a sound output: it renders into memory for a virtual
// clock, for writing songs to WAV files and for measuring timing. Clock time `origin` is
// frame 0; a message due at t takes effect at the frame of t (to FluidSynth's block).

#include <deque>
#include <memory>
#include <vector>

#include "platform/midi_out/synth_core.h"
#include "platform/midi_output.h"

namespace vesk::platform::midiout {

class OfflineSynth final : public MidiOutDevice {
  public:
    // Null with `error` set when the SoundFont does not load.
    static std::unique_ptr<OfflineSynth> create(const SynthConfig& config, QString& error,
                                                Nanos origin = Nanos{0});

    using MidiOutDevice::send;
    // Messages are kept until rendering reaches them; they may arrive in any order.
    void send(std::span<const std::uint8_t> message, Nanos due, MidiPort port) override;
    // Applied at the current render position; `done` runs before this returns.
    MidiOutError longMsg(std::span<const std::uint8_t> message,
                         std::function<void()> done) override;
    MidiOutError reset() override;

    // Renders from where the previous call stopped up to clock time `until`, appending
    // interleaved stereo frames (left, right) to `out`.
    void renderUntil(Nanos until, std::vector<float>& out);
    // Frames per call into the synthesizer, like the period of an audio driver.
    void setPeriod(int frames);

    int sampleRate() const { return core_->sampleRate(); }
    // The clock time of the next frame to render.
    Nanos time() const;
    SynthCore& core() { return *core_; }

  private:
    struct Pending {
        Nanos due;
        std::vector<std::uint8_t> bytes;
        MidiPort port;
    };
    class QueueSource;
    OfflineSynth(std::unique_ptr<SynthCore> core, Nanos origin);
    void enqueue(std::span<const std::uint8_t> message, Nanos due, MidiPort port);

    std::unique_ptr<SynthCore> core_;
    Nanos origin_;
    int period_ = 512;
    std::deque<Pending> queue_;
    std::vector<float> left_;
    std::vector<float> right_;
};

}  // namespace vesk::platform::midiout
