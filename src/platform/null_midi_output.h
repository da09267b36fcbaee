#pragma once
// A MIDI output service with no devices of its own: the default output (-1) opens and
// discards everything. Tools that only measure songs use it, so they never sound a note.

#include "platform/midi_output.h"

namespace vesk::platform {

class NullMidiOutputService final : public MidiOutputService {
  public:
    int deviceCount() override { return 0; }
    QString deviceName(int) override { return {}; }
    MidiOutError open(int device, std::unique_ptr<MidiOutDevice>& out) override;
};

}  // namespace vesk::platform
