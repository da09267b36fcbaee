#pragma once
// Telling complete MIDI messages apart in a stream of bytes.

#include <cstdint>
#include <functional>
#include <span>

namespace vesk::platform::midiout {

// Bytes a channel message with this status byte takes (2 or 3), or 0 when the byte starts
// no channel message.
int channelMessageLength(std::uint8_t status);

// A whole channel message, or a System Exclusive message F0 ... F7 with data bytes between.
bool isCompleteMessage(std::span<const std::uint8_t> message);

// Cuts a buffer of back-to-back complete messages (several SysEx messages in one reset
// code, say) into its messages. Returns false, and hands out nothing, when any part of the
// buffer is not a complete message.
bool splitMessages(std::span<const std::uint8_t> bytes,
                   const std::function<void(std::span<const std::uint8_t>)>& each);

}  // namespace vesk::platform::midiout
