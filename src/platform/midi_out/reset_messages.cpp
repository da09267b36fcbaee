#include "platform/midi_out/reset_messages.h"

#include <array>

namespace vesk::platform::midiout {

void forEachSilencingMessage(
    int ports, const std::function<void(std::span<const std::uint8_t>, MidiPort)>& each) {
    for (int port = 0; port < ports; ++port) {
        for (int ch = 0; ch < kPortChannels; ++ch) {
            auto status = static_cast<std::uint8_t>(0xB0 | ch);
            for (std::uint8_t controller :
                 {std::uint8_t{64}, std::uint8_t{66}, std::uint8_t{123}}) {
                std::array<std::uint8_t, 3> message{status, controller, 0};
                each(message, static_cast<MidiPort>(port));
            }
        }
    }
}

}  // namespace vesk::platform::midiout
