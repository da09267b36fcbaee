#pragma once
// The system's MIDI output ports (the ALSA sequencer, through RtMidi).

#include <QString>
#include <memory>
#include <vector>

#include "platform/midi_output.h"

namespace vesk::platform::midiout {

class MidiPortBackend {
  public:
    virtual ~MidiPortBackend() = default;
    // The ports present now, by their names.
    virtual std::vector<QString> portNames() = 0;
    // Opens port `index` of the list as it is now: sets `out` on success.
    virtual MidiOutError openPort(int index, std::unique_ptr<MidiOutDevice>& out) = 0;
};

// The ALSA sequencer's ports. A system without the sequencer simply has no ports.
std::unique_ptr<MidiPortBackend> makeAlsaPortBackend();

}  // namespace vesk::platform::midiout
