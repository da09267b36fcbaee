// Songs that address two ports with port-prefix meta events: the port travels with every
// message the sequencer sends, and stopping, seeking and transposing treat port B's
// channels as channels of their own.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "sequencer/sequencer_core.h"
#include "sequencer/smf_builder.h"
#include "sequencer/smf_reader.h"

namespace vesk::sequencer {
namespace {

using namespace std::chrono_literals;
using platform::MidiPort;
using platform::Nanos;

struct Sent {
    std::vector<std::uint8_t> bytes;
    Nanos due;
    MidiPort port;
};

class Recorder final : public Output {
  public:
    void send(std::span<const std::uint8_t> message, Nanos due, MidiPort port) override {
        sent.push_back({{message.begin(), message.end()}, due, port});
    }
    bool has(std::vector<std::uint8_t> bytes, MidiPort port) const {
        return std::any_of(sent.begin(), sent.end(),
                           [&](const Sent& s) { return s.bytes == bytes && s.port == port; });
    }
    std::vector<Sent> sent;
};

// GS "use for rhythm part" for part 2, as sent and as written in the file.
const std::vector<std::uint8_t> kPart2Rhythm = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40,
                                                0x12, 0x15, 0x01, 0x18, 0xF7};
constexpr std::initializer_list<int> kPart2RhythmInFile = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12,
                                                           0x40, 0x12, 0x15, 0x01, 0x18, 0xF7};

// 480 ticks to the quarter at 120 bpm: a tick is 1/960 s.
std::shared_ptr<const Song> twoPortSong() {
    test::Track a;
    a.meta(0, 0x21, QByteArray(1, 0)).at(0, {0xC0, 19}).at(0, {0x90, 60, 100});
    a.at(960, {0x91, 38, 100}).at(60, {0x81, 38, 0}).at(900, {0x80, 60, 0}).end();
    test::Track b;
    b.meta(0, 0x21, QByteArray(1, 1))
        .at(0, {0xC0, 40})
        .at(0, {0xB0, 7, 80})
        .at(0, kPart2RhythmInFile);
    b.at(240, {0x90, 60, 100}).at(720, {0x91, 38, 100}).at(60, {0x81, 38, 0});
    b.at(900, {0x80, 60, 0}).end();
    // No prefix of its own: the prefix of the track before does not carry over.
    test::Track c;
    c.at(0, {0xC1, 5}).end();
    // Beyond port B, ports fold onto A and B in turn.
    test::Track d;
    d.meta(0, 0x21, QByteArray(1, 3)).at(0, {0xC2, 7}).end();
    const test::ByteVector bytes = test::smf(1, 480, {a, b, c, d});
    auto song = std::make_shared<Song>();
    EXPECT_EQ(readSmf(bytes, *song), SequencerError::None);
    return song;
}

TEST(TwoPortSong, PortPrefixesHoldForTheRestOfTheirTrack) {
    const auto song = twoPortSong();
    std::vector<int> programs[2];
    for (const SongEvent& e : song->events) {
        if ((e.status & 0xF0) == 0xC0) {
            programs[static_cast<int>(e.port)].push_back(e.channelIndex());
        }
        if (e.isSysEx()) {
            EXPECT_EQ(e.port, MidiPort::B);
        }
    }
    EXPECT_EQ(programs[0], (std::vector<int>{0, 1}));
    EXPECT_EQ(programs[1], (std::vector<int>{16, 18}));
    EXPECT_EQ(song->channelsUsed, (1u << 0) | (1u << 1) | (1u << 16) | (1u << 17) | (1u << 18));
}

TEST(TwoPortSong, StopSilencesBothPortsAndSeekChasesEach) {
    SequencerCore core(twoPortSong());
    Recorder out;
    core.play(0ms, out);
    core.pump(500ms, out);
    EXPECT_TRUE(out.has({0x90, 60, 100}, MidiPort::A));
    EXPECT_TRUE(out.has({0x90, 60, 100}, MidiPort::B));
    EXPECT_TRUE(out.has({0xC0, 40}, MidiPort::B));
    EXPECT_FALSE(out.has({0xC0, 40}, MidiPort::A));

    out.sent.clear();
    core.stop(600ms, out);
    for (MidiPort port : {MidiPort::A, MidiPort::B}) {
        EXPECT_TRUE(out.has({0x80, 60, 0}, port)) << "the sounding note of each port ends";
        EXPECT_TRUE(out.has({0xB0, 123, 0}, port));
        EXPECT_TRUE(out.has({0xB0, 64, 0}, port));
    }

    out.sent.clear();
    core.playFrom(Nanos{700ms}.count(), 1s, out);
    EXPECT_TRUE(out.has({0xC0, 19}, MidiPort::A));
    EXPECT_TRUE(out.has({0xC0, 40}, MidiPort::B));
    EXPECT_TRUE(out.has({0xB0, 7, 80}, MidiPort::B));
    EXPECT_FALSE(out.has({0xB0, 7, 80}, MidiPort::A));
    EXPECT_TRUE(out.has({0xC2, 7}, MidiPort::B));
    EXPECT_TRUE(out.has({0xC1, 5}, MidiPort::A));
    EXPECT_TRUE(out.has(kPart2Rhythm, MidiPort::B));
}

TEST(TwoPortSong, DrumPartsOfOnePortAreNotThoseOfTheOther) {
    // Channel 2 is a rhythm part on port B only: transposing moves port A's note alone.
    SequencerCore core(twoPortSong());
    Recorder out;
    core.setTranspose(2, 0ms, out);
    core.play(0ms, out);
    core.pump(1100ms, out);
    EXPECT_TRUE(out.has({0x91, 40, 100}, MidiPort::A));
    EXPECT_TRUE(out.has({0x91, 38, 100}, MidiPort::B));
    EXPECT_FALSE(out.has({0x91, 38, 100}, MidiPort::A));
}

TEST(TwoPortSong, MutingAPortBChannelLeavesTheSameChannelOfPortASounding) {
    SequencerCore core(twoPortSong());
    Recorder out;
    core.play(0ms, out);
    core.pump(500ms, out);
    out.sent.clear();
    ChannelSet portBFirst;
    portBFirst.set(16);
    core.setChannelFilter(portBFirst, {}, 500ms, out);
    EXPECT_TRUE(out.has({0x80, 60, 0}, MidiPort::B));
    EXPECT_FALSE(out.has({0x80, 60, 0}, MidiPort::A));

    out.sent.clear();
    core.setChannelFilter({}, {}, 600ms, out);
    EXPECT_TRUE(out.has({0xC0, 40}, MidiPort::B)) << "unmuting brings port B's program back";
    EXPECT_FALSE(out.has({0xC0, 19}, MidiPort::A)) << "port A was never held back";
}

}  // namespace
}  // namespace vesk::sequencer
