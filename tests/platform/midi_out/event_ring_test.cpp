#include "platform/midi_out/event_ring.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace vesk::platform::midiout {
namespace {

std::vector<std::uint8_t> patterned(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((seed * 31 + i * 7) & 0xFF);
    }
    return bytes;
}

TEST(EventRing, RefusesWhenFullOrTooLongAndRecovers) {
    EventRing ring(4096);
    std::vector<std::uint8_t> tooLong(ring.maxMessageSize() + 1, 0x11);
    EXPECT_FALSE(ring.push(tooLong, Nanos{0}));
    std::vector<std::uint8_t> longest(ring.maxMessageSize(), 0x22);
    EXPECT_TRUE(ring.push(longest, Nanos{0}));

    int accepted = 0;
    while (ring.push(std::vector<std::uint8_t>(40, 0x33), Nanos{1})) {
        ++accepted;
        ASSERT_LT(accepted, 4096) << "a full ring must refuse";
    }
    EXPECT_GT(accepted, 10);
    Nanos due{0};
    std::span<const std::uint8_t> message;
    ASSERT_TRUE(ring.peek(due, message));
    EXPECT_EQ(message.size(), longest.size());
    ring.pop();
    EXPECT_TRUE(ring.push(std::vector<std::uint8_t>(40, 0x44), Nanos{2}));
}

// Sizes that do not divide the ring, so records meet its end at every offset.
TEST(EventRing, ProducersAndConsumerOnDifferentThreadsLoseNothing) {
    EventRing ring(4096);
    constexpr std::uint32_t kPerProducer = 20000;
    auto produce = [&](std::uint32_t base) {
        for (std::uint32_t i = 0; i < kPerProducer; ++i) {
            std::uint32_t id = base + i;
            auto bytes = patterned(1 + id % 90, id);
            while (!ring.push(bytes, Nanos{id})) {
                std::this_thread::yield();
            }
        }
    };
    std::vector<std::uint32_t> lastSeen{0, 0};
    std::uint32_t received = 0;
    bool intact = true;
    std::thread consumer([&] {
        while (received < 2 * kPerProducer) {
            Nanos due{0};
            std::span<const std::uint8_t> message;
            if (!ring.peek(due, message)) {
                std::this_thread::yield();
                continue;
            }
            auto id = static_cast<std::uint32_t>(due.count());
            auto expected = patterned(1 + id % 90, id);
            intact = intact &&
                     std::equal(message.begin(), message.end(), expected.begin(), expected.end());
            // Each producer's messages arrive in the order it sent them.
            std::size_t producer = id >= 1'000'000 ? 1 : 0;
            std::uint32_t index = id - (producer ? 1'000'000 : 0) + 1;
            intact = intact && index > lastSeen[producer];
            lastSeen[producer] = index;
            ring.pop();
            ++received;
        }
    });
    std::thread first(produce, 0);
    std::thread second(produce, 1'000'000);
    first.join();
    second.join();
    consumer.join();
    EXPECT_TRUE(intact);
    EXPECT_EQ(lastSeen, (std::vector<std::uint32_t>{kPerProducer, kPerProducer}));
    Nanos due{0};
    std::span<const std::uint8_t> message;
    EXPECT_FALSE(ring.peek(due, message)) << "nothing left once all is taken";
}

}  // namespace
}  // namespace vesk::platform::midiout
