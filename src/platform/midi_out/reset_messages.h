#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace vesk::platform::midiout {

// The messages that silence a device, channel by channel: sustain and sostenuto off,
// then all notes off.
void forEachSilencingMessage(const std::function<void(std::span<const std::uint8_t>)>& each);

}  // namespace vesk::platform::midiout
