#include "platform/midi_out/midi_bytes.h"

#include <algorithm>
#include <vector>

namespace vesk::platform::midiout {

int channelMessageLength(std::uint8_t status) {
    switch (status & 0xF0) {
        case 0x80:
        case 0x90:
        case 0xA0:
        case 0xB0:
        case 0xE0:
            return 3;
        case 0xC0:
        case 0xD0:
            return 2;
        default:
            return 0;
    }
}

namespace {

bool allData(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < 0x80; });
}

// Length of the complete message at the start of `bytes`, or 0 when there is none.
std::size_t leadingMessageLength(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return 0;
    }
    if (bytes[0] == 0xF0) {
        auto end = std::find(bytes.begin() + 1, bytes.end(), std::uint8_t{0xF7});
        if (end == bytes.end() || !allData({bytes.begin() + 1, end})) {
            return 0;
        }
        return static_cast<std::size_t>(end - bytes.begin()) + 1;
    }
    std::size_t length = static_cast<std::size_t>(channelMessageLength(bytes[0]));
    if (length == 0 || bytes.size() < length || !allData(bytes.subspan(1, length - 1))) {
        return 0;
    }
    return length;
}

}  // namespace

bool isCompleteMessage(std::span<const std::uint8_t> message) {
    return !message.empty() && leadingMessageLength(message) == message.size();
}

bool splitMessages(std::span<const std::uint8_t> bytes,
                   const std::function<void(std::span<const std::uint8_t>)>& each) {
    if (bytes.empty()) {
        return false;
    }
    std::vector<std::span<const std::uint8_t>> parts;
    while (!bytes.empty()) {
        std::size_t length = leadingMessageLength(bytes);
        if (length == 0) {
            return false;
        }
        parts.push_back(bytes.first(length));
        bytes = bytes.subspan(length);
    }
    for (auto part : parts) {
        each(part);
    }
    return true;
}

}  // namespace vesk::platform::midiout
