#pragma once
// Transposition of the notes the sequencer sends. Drum parts are never moved: channel 10 of
// each port always, and the channels a song makes drum parts (GS part-mode messages, XG
// bank 127). Channels are channel indexes, port * 16 + channel.
// Each sounding note remembers the shift it started with, so its note-off and key pressure
// reach the key that actually sounds even when the transposition changes meanwhile.

#include <array>
#include <cstdint>
#include <span>

#include "platform/midi_port.h"

namespace vesk::sequencer {

class Transposer {
  public:
    static constexpr int kMaxSemitones = 12;
    static constexpr int kNoKey = -1;

    Transposer() { resetParts(); }

    // Clamped to +-kMaxSemitones; notes already sounding keep their own shift.
    void setSemitones(int semitones);
    int semitones() const { return semitones_; }

    // Follows drum part assignments in a channel or System Exclusive message being sent.
    void observe(std::span<const std::uint8_t> message, platform::MidiPort port);
    // Every channel back to a melodic part but channel 10 of each port (a GM, GS or XG reset).
    void resetParts();
    bool isDrum(int channel) const { return drum_[static_cast<std::size_t>(channel)]; }

    struct NoteOn {
        int key = kNoKey;      // the key to sound, kNoKey when out of range
        int release = kNoKey;  // a key of the same source note still sounding at another shift
    };
    NoteOn noteOn(int channel, int key);
    // The key to release (kNoKey: the note was never sounded).
    int noteOff(int channel, int key);
    // The key a polyphonic pressure message for `key` belongs to.
    int pressureKey(int channel, int key) const;
    // Everything was silenced: no note holds a shift any more.
    void forgetNotes();

  private:
    int shiftFor(int channel) const { return isDrum(channel) ? 0 : semitones_; }

    int semitones_ = 0;
    std::array<bool, platform::kChannelIndexes> drum_{};
    // Per source note (channel * 128 + key): shift it sounds at and how many times.
    std::array<std::int8_t, platform::kChannelIndexes * 128> shift_{};
    std::array<std::uint8_t, platform::kChannelIndexes * 128> held_{};
};

}  // namespace vesk::sequencer
