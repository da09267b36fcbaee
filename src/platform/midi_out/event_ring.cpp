#include "platform/midi_out/event_ring.h"

#include <bit>
#include <cstring>

namespace vesk::platform::midiout {

EventRing::EventRing(std::size_t capacity)
    : buffer_(std::bit_ceil(std::max<std::size_t>(capacity, 4096))), mask_(buffer_.size() - 1) {}

std::size_t EventRing::recordBytes(std::size_t messageSize) {
    return sizeof(Header) + (messageSize + kAlign - 1) / kAlign * kAlign;
}

std::size_t EventRing::maxMessageSize() const {
    // Room for the record and a wrap marker however the free space is split.
    return buffer_.size() / 2 - 2 * sizeof(Header);
}

bool EventRing::push(std::span<const std::uint8_t> message, Nanos due, MidiPort port) {
    if (message.size() > maxMessageSize()) {
        return false;
    }
    std::lock_guard lock(producers_);
    std::size_t tail = tail_.load(std::memory_order_relaxed);
    std::size_t head = head_.load(std::memory_order_acquire);
    std::size_t freeBytes = buffer_.size() - (tail - head);
    std::size_t need = recordBytes(message.size());
    std::size_t offset = tail & mask_;
    std::size_t contiguous = buffer_.size() - offset;
    std::size_t skip = need > contiguous ? contiguous : 0;
    if (skip + need > freeBytes) {
        return false;
    }
    if (skip != 0) {
        Header marker{0, kWrapMarker, 0};
        std::memcpy(buffer_.data() + offset, &marker, sizeof marker);
        offset = 0;
    }
    Header header{due.count(), static_cast<std::uint32_t>(message.size()),
                  static_cast<std::uint32_t>(port)};
    std::memcpy(buffer_.data() + offset, &header, sizeof header);
    if (!message.empty()) {
        std::memcpy(buffer_.data() + offset + sizeof header, message.data(), message.size());
    }
    tail_.store(tail + skip + need, std::memory_order_release);
    return true;
}

bool EventRing::peek(Nanos& due, std::span<const std::uint8_t>& message, MidiPort& port) {
    std::size_t head = head_.load(std::memory_order_relaxed);
    for (;;) {
        std::size_t tail = tail_.load(std::memory_order_acquire);
        if (head == tail) {
            return false;
        }
        std::size_t offset = head & mask_;
        Header header;
        std::memcpy(&header, buffer_.data() + offset, sizeof header);
        if (header.size == kWrapMarker) {
            head += buffer_.size() - offset;
            head_.store(head, std::memory_order_release);
            continue;
        }
        due = Nanos{header.due};
        message = {buffer_.data() + offset + sizeof header, header.size};
        port = static_cast<MidiPort>(header.port);
        return true;
    }
}

void EventRing::pop() {
    std::size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) {
        return;
    }
    Header header;
    std::memcpy(&header, buffer_.data() + (head & mask_), sizeof header);
    std::size_t next = header.size == kWrapMarker ? head + buffer_.size() - (head & mask_)
                                                  : head + recordBytes(header.size);
    head_.store(next, std::memory_order_release);
}

}  // namespace vesk::platform::midiout
