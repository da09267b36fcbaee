// Songs for two-port modules: port B plays on the synthesizer's channels 17-32, offline
// and live, and resets reach both ports.

#include <gtest/gtest.h>

#include <array>
#include <chrono>

#include "platform/midi_out/live_synth.h"
#include "platform/midi_out/synth_fixture.h"

namespace vesk::platform::midiout {
namespace {

using namespace std::chrono_literals;
using Bytes3 = std::array<std::uint8_t, 3>;
using Bytes2 = std::array<std::uint8_t, 2>;

constexpr int kOrgan = 19;  // sounds for as long as the key is held
constexpr int kViolin = 40;

float loudness(OfflineSynth& synth, std::vector<float>& out, Nanos from, Nanos to) {
    const int rate = synth.sampleRate();
    return test::peak(out, from.count() * rate / 1'000'000'000, to.count() * rate / 1'000'000'000);
}

TEST(TwoPortSynth, EachPortKeepsItsOwnProgramsAndDrumParts) {
    auto synth = test::makeOfflineSynth();
    ASSERT_TRUE(synth);
    synth->send(Bytes2{0xC0, kOrgan}, 0ms, MidiPort::A);
    synth->send(Bytes2{0xC0, kViolin}, 0ms, MidiPort::B);
    // GS "use for rhythm part" for part 2, sent on port B.
    synth->send(std::array<std::uint8_t, 11>{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x12, 0x15, 0x01,
                                             0x18, 0xF7},
                0ms, MidiPort::B);
    synth->send(Bytes3{0x99, 38, 120}, 100ms, MidiPort::B);
    std::vector<float> out;
    synth->renderUntil(400ms, out);
    SynthCore& core = synth->core();
    EXPECT_EQ(core.channelProgram(0), (ChannelProgram{0, kOrgan}));
    EXPECT_EQ(core.channelProgram(16), (ChannelProgram{0, kViolin}));
    EXPECT_TRUE(core.isDrumPart(9));
    EXPECT_TRUE(core.isDrumPart(25)) << "channel 10 of port B plays drums";
    EXPECT_TRUE(core.isDrumPart(17));
    EXPECT_FALSE(core.isDrumPart(1)) << "port B's rhythm part message leaves port A alone";
    EXPECT_GT(loudness(*synth, out, 100ms, 400ms), 0.01f) << "port B's snare is heard";

    // A GS reset on either port resets the whole synthesizer.
    synth->send(std::array<std::uint8_t, 11>{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00,
                                             0x41, 0xF7},
                500ms, MidiPort::A);
    synth->renderUntil(600ms, out);
    EXPECT_EQ(core.channelProgram(16), (ChannelProgram{0, 0}));
    EXPECT_FALSE(core.isDrumPart(17));
}

TEST(TwoPortSynth, DeviceResetSilencesPortB) {
    auto synth = test::makeOfflineSynth();
    ASSERT_TRUE(synth);
    synth->send(Bytes2{0xC0, kOrgan}, 0ms, MidiPort::B);
    synth->send(Bytes3{0xB3, 64, 127}, 0ms, MidiPort::B);
    synth->send(Bytes3{0x93, 64, 100}, 10ms, MidiPort::B);
    synth->send(Bytes3{0x83, 64, 0}, 100ms, MidiPort::B);  // held on by the pedal
    std::vector<float> out;
    synth->renderUntil(500ms, out);
    ASSERT_GT(loudness(*synth, out, 300ms, 500ms), 0.01f);
    ASSERT_EQ(synth->reset(), MidiOutError::None);
    synth->renderUntil(1500ms, out);
    EXPECT_LT(loudness(*synth, out, 1s, 1500ms), 1e-3f);
}

class FixedClock final : public Clock {
  public:
    Nanos now() const override { return 1s; }
};

TEST(TwoPortSynth, LiveSynthesizerPlaysPortBOnItsOwnChannels) {
    QString error;
    auto core = SynthCore::create({test::smallSoundFont()}, error);
    ASSERT_TRUE(core) << error.toStdString();
    LiveSynth live(std::move(core), std::make_shared<FixedClock>());
    live.setLatency(0ms);
    ASSERT_TRUE(live.post(Bytes2{0xC0, kViolin}, 0ms, MidiPort::B));
    ASSERT_TRUE(live.postNow(Bytes2{0xC5, kOrgan}, MidiPort::B));
    std::vector<float> left(256);
    std::vector<float> right(256);
    live.process(left.data(), right.data(), 256);
    EXPECT_EQ(live.core().channelProgram(16), (ChannelProgram{0, kViolin}));
    EXPECT_EQ(live.core().channelProgram(21), (ChannelProgram{0, kOrgan}));
    EXPECT_EQ(live.core().channelProgram(0), (ChannelProgram{0, 0}));
    EXPECT_EQ(live.core().channelProgram(5), (ChannelProgram{0, 0}));
}

}  // namespace
}  // namespace vesk::platform::midiout
