#pragma once
// What each channel of the MIDI output is doing, as seen in the messages actually sent:
// whether it was used since the song began, how many notes it holds, its latest note-on,
// and the instrument a module would be playing (instrument_map.h). The playback thread
// writes; a window reads a snapshot at any time without taking a lock.
//
// Channels are numbered port * 16 + channel.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "platform/clock.h"
#include "platform/midi_out/instrument_map.h"
#include "platform/midi_output.h"

namespace vesk::platform::midiout {

inline constexpr int kActivityPorts = 2;
inline constexpr int kActivityChannels = kActivityPorts * kChannels;

struct ChannelReading {
    bool used = false;
    int sounding = 0;     // notes held on now
    int velocity = 0;     // of the latest note-on
    Nanos lastNoteOn{0};  // its deadline on the playback clock
    PresetChoice preset;
};

class ChannelActivity {
  public:
    ChannelActivity();

    // Writers, from any thread (they take turns).
    void record(int port, std::span<const std::uint8_t> message, Nanos due);
    // A device was silenced: no note held anywhere.
    void silenced();
    // A new song: no channel counts as used until it sends again. Instruments stay, as in
    // the module.
    void restart();

    // Readers, lock-free. A channel outside 0..kActivityChannels-1 reads as unused.
    ChannelReading read(int channel) const;

  private:
    struct Published {
        std::atomic<bool> used{false};
        std::atomic<int> sounding{0};
        std::atomic<int> velocity{0};
        std::atomic<Nanos::rep> lastNoteOn{0};
        std::atomic<std::uint32_t> preset{0};  // drum << 16 | bank << 8 | program
    };
    void publishPreset(int channel);
    void noteOn(int channel, int key, int velocity, Nanos due);
    void noteOff(int channel, int key);

    std::mutex writer_;
    std::array<InstrumentMap, kActivityPorts> maps_;
    std::array<std::array<std::uint8_t, 128>, kActivityChannels> held_{};
    std::array<Published, kActivityChannels> published_;
};

// An output service whose devices tell `activity` everything sent through them.
class MonitoredMidiOutputService final : public MidiOutputService {
  public:
    MonitoredMidiOutputService(MidiOutputService& inner, ChannelActivity& activity)
        : inner_(inner), activity_(activity) {}

    int deviceCount() override { return inner_.deviceCount(); }
    QString deviceName(int device) override { return inner_.deviceName(device); }
    MidiOutError open(int device, std::unique_ptr<MidiOutDevice>& out) override;

  private:
    MidiOutputService& inner_;
    ChannelActivity& activity_;
};

}  // namespace vesk::platform::midiout
