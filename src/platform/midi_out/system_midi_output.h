#pragma once
// The MIDI output devices of this system: device 0 (and the default output, -1) is the
// built-in FluidSynth synthesizer, devices 1.. are the MIDI ports present at the moment.

#include <QString>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/clock.h"
#include "platform/midi_out/live_synth.h"
#include "platform/midi_out/midi_ports.h"
#include "platform/midi_output.h"

namespace vesk::platform::midiout {

struct MidiOutputOptions {
    QString soundFont;  // empty = the system's General MIDI SoundFont
    int sampleRate = 44100;
    double gain = 0.4;
    AudioOptions audio;
    friend bool operator==(const MidiOutputOptions&, const MidiOutputOptions&) = default;
};

// The names device 0 and the default output report.
QString synthesizerName();
QString defaultOutputName();

class SynthHost;

class SystemMidiOutputService final : public MidiOutputService {
  public:
    // `clock` is the playback clock that send() deadlines refer to (the real monotonic
    // clock when null). `ports` replaces the ALSA ports, for tests.
    explicit SystemMidiOutputService(MidiOutputOptions options = {},
                                     std::shared_ptr<const Clock> clock = nullptr,
                                     std::unique_ptr<MidiPortBackend> ports = nullptr);
    ~SystemMidiOutputService() override;

    int deviceCount() override;
    QString deviceName(int device) override;
    MidiOutError open(int device, std::unique_ptr<MidiOutDevice>& out) override;

    // Loads the synthesizer's SoundFont now, which takes seconds for a large one, so that
    // the first open does not wait for it. Any thread; an open meanwhile waits for it.
    // lastError() tells the user why it failed.
    MidiOutError prepareSynthesizer();

    // New options take effect when the synthesizer is next opened while no device of it
    // is open.
    void setOptions(const MidiOutputOptions& options);
    // Why the last open failed, for the user; empty after a success.
    QString lastError() const;

    // Called (on the thread that opens) the first time the built-in synthesizer finds no
    // sound output it can open, with the message for the user; once per service.
    void setNoSoundOutputNotice(std::function<void(const QString&)> notice);

  private:
    std::shared_ptr<SynthHost> synth_;
    std::unique_ptr<MidiPortBackend> ports_;
    mutable std::mutex mutex_;
    QString lastError_;
    std::function<void(const QString&)> noSoundOutputNotice_;
    bool noticeGiven_ = false;
};

}  // namespace vesk::platform::midiout
