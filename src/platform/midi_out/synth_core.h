#pragma once
// The built-in synthesizer: FluidSynth with a General MIDI SoundFont, made to answer GM, GS
// and XG resets the way a hardware module does, and rendered so that each message takes
// effect at the frame it is due. Both the live device and the offline renderer drive it.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/midi_out/fluid_handles.h"
#include "platform/midi_out/instrument_map.h"
#include "platform/midi_out/limiter.h"

namespace vesk::platform::midiout {

struct SynthConfig {
    QString soundFont;  // a path; resolve it with resolveSoundFont first
    int sampleRate = 44100;
    double gain = 0.4;
    int polyphony = 256;
    bool effects = true;  // reverb and chorus
};

// FluidSynth renders in blocks of this many frames and starts voices only at block
// boundaries; a message is applied at the boundary nearest its frame.
inline constexpr int kSynthBlockFrames = 64;

struct DueMessage {
    std::int64_t frame = 0;
    std::span<const std::uint8_t> bytes;
    MidiPort port = MidiPort::A;
};

// Timed messages for a render, in the order they are to be applied.
class EventSource {
  public:
    virtual ~EventSource() = default;
    // The next message, valid until pop(); false when there is none yet.
    virtual bool peek(DueMessage& next) = 0;
    virtual void pop() = 0;
};

struct ChannelProgram {
    int bank = 0;
    int program = 0;
    friend bool operator==(const ChannelProgram&, const ChannelProgram&) = default;
};

class SynthCore {
  public:
    // Loads the SoundFont. On failure returns null and sets `error` to a message for the user.
    static std::unique_ptr<SynthCore> create(const SynthConfig& config, QString& error);
    ~SynthCore();
    SynthCore(const SynthCore&) = delete;
    SynthCore& operator=(const SynthCore&) = delete;

    int sampleRate() const { return sampleRate_; }
    // The settings the synthesizer was made with; an audio driver must use the same ones.
    fluid_settings_t* settings() const { return settings_.get(); }

    // Applies one complete message now. Incomplete messages are ignored. Port B plays on
    // channels 16-31.
    void apply(std::span<const std::uint8_t> message, MidiPort port = MidiPort::A);

    // Renders `frames` stereo frames into `left` and `right`, applying the messages of
    // `events` as their frames come up. Messages already overdue are applied at once.
    // The output is limited to Limiter::kCeiling.
    void render(float* left, float* right, int frames, EventSource& events);

    // Frames rendered since creation.
    std::int64_t position() const { return position_; }

    ResetStyle style() const { return map_.style(); }
    // The bank and program FluidSynth plays on `channel` (0-31), as it reports them.
    std::optional<ChannelProgram> channelProgram(int channel) const;
    bool isDrumPart(int channel) const { return map_.current(channel).drum; }

  private:
    SynthCore() = default;
    bool hasPreset(int bank, int program) const;
    void select(int channel, const PresetChoice& choice);
    void systemReset(ResetStyle style);
    void applySysEx(std::span<const std::uint8_t> message, MidiPort port);

    // Declared first so that it is destroyed last: the synthesizer refers to it.
    FluidSettingsPtr settings_;
    FluidSynthPtr synth_;
    fluid_sfont_t* sfont_ = nullptr;  // owned by synth_
    int sfontId_ = -1;
    int sampleRate_ = 44100;
    InstrumentMap map_;
    Limiter limiter_{44100};
    std::int64_t position_ = 0;
};

}  // namespace vesk::platform::midiout
