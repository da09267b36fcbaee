#pragma once
// The queue between the threads that send MIDI messages and the audio callback that plays
// them. The audio side never locks and never allocates: it reads records in place from a
// ring of fixed size. Senders (the playback thread, and the user-interface thread for
// resets) take a mutex among themselves only, which the audio side never touches.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "platform/clock.h"
#include "platform/midi_port.h"

namespace vesk::platform::midiout {

class EventRing {
  public:
    // `capacity` bytes, rounded up to a power of two of at least 4 KiB.
    explicit EventRing(std::size_t capacity = 256 * 1024);

    // The longest message the ring takes.
    std::size_t maxMessageSize() const;

    // Appends a message for `port` due at `due`. False when it is too long or the ring is full.
    bool push(std::span<const std::uint8_t> message, Nanos due, MidiPort port = MidiPort::A);

    // Consumer side, one thread at a time: the oldest message, left in place until pop().
    bool peek(Nanos& due, std::span<const std::uint8_t>& message, MidiPort& port);
    bool peek(Nanos& due, std::span<const std::uint8_t>& message) {
        MidiPort ignored = MidiPort::A;
        return peek(due, message, ignored);
    }
    void pop();

  private:
    struct Header {
        std::int64_t due;
        std::uint32_t size;
        std::uint32_t port;
    };
    static constexpr std::size_t kAlign = sizeof(Header);
    static constexpr std::uint32_t kWrapMarker = 0xFFFFFFFFu;
    static std::size_t recordBytes(std::size_t messageSize);

    std::vector<std::uint8_t> buffer_;
    std::size_t mask_;
    std::mutex producers_;
    // Both count bytes from the start and only grow; positions are taken modulo the size.
    std::atomic<std::size_t> head_{0};
    std::atomic<std::size_t> tail_{0};
};

}  // namespace vesk::platform::midiout
