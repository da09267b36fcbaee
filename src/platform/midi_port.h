#pragma once
// The MIDI ports a song addresses. A Standard MIDI File names a track's port with a
// port-prefix meta event; songs for two-port modules spread up to 32 parts over ports A
// and B. Together the two ports have 32 channel indexes: port * 16 + channel.

#include <cstdint>

namespace vesk::platform {

enum class MidiPort : std::uint8_t { A = 0, B = 1 };

inline constexpr int kMidiPorts = 2;
inline constexpr int kPortChannels = 16;
inline constexpr int kChannelIndexes = kMidiPorts * kPortChannels;

// The port a port-prefix number names. No output here has more than two ports, so higher
// numbers fold onto A and B in turn, which keeps neighbouring ports apart.
constexpr MidiPort portFromNumber(int number) {
    return (number & 1) != 0 ? MidiPort::B : MidiPort::A;
}

constexpr MidiPort portOfIndex(int channelIndex) {
    return channelIndex >= kPortChannels ? MidiPort::B : MidiPort::A;
}

// `channel` is the channel a status byte names (0..15).
constexpr int channelIndex(MidiPort port, int channel) {
    return static_cast<int>(port) * kPortChannels + (channel & 0x0F);
}

}  // namespace vesk::platform
