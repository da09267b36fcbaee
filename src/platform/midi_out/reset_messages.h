#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "platform/midi_port.h"

namespace vesk::platform::midiout {

// The messages that silence a device of `ports` ports (the synthesizer has two, a system
// port one), channel by channel: sustain and sostenuto off, then all notes off.
void forEachSilencingMessage(
    int ports, const std::function<void(std::span<const std::uint8_t>, MidiPort)>& each);

}  // namespace vesk::platform::midiout
