#include "platform/midi_out/midi_bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/midi_out/frame_time.h"
#include "platform/midi_out/instrument_map.h"

namespace vesk::platform::midiout {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> split(const Bytes& bytes, bool* ok = nullptr) {
    std::vector<Bytes> parts;
    bool result = splitMessages(bytes, [&](std::span<const std::uint8_t> part) {
        parts.emplace_back(part.begin(), part.end());
    });
    if (ok) {
        *ok = result;
    }
    return parts;
}

TEST(MidiBytes, CompleteMessagesAreTold) {
    EXPECT_TRUE(isCompleteMessage(Bytes{0x90, 60, 100}));
    EXPECT_TRUE(isCompleteMessage(Bytes{0xC5, 3}));
    EXPECT_TRUE(isCompleteMessage(Bytes{0xF0, 0xF7}));
    EXPECT_TRUE(isCompleteMessage(Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_FALSE(isCompleteMessage(Bytes{}));
    EXPECT_FALSE(isCompleteMessage(Bytes{0x90, 60}));
    EXPECT_FALSE(isCompleteMessage(Bytes{0x90, 60, 100, 5}));
    EXPECT_FALSE(isCompleteMessage(Bytes{0x90, 0x80, 100})) << "status byte as data";
    EXPECT_FALSE(isCompleteMessage(Bytes{60, 100})) << "running status";
    EXPECT_FALSE(isCompleteMessage(Bytes{0xF0, 0x41, 0x90, 0xF7})) << "status inside SysEx";
    EXPECT_FALSE(isCompleteMessage(Bytes{0xF0, 0x41, 0x10}));
    EXPECT_FALSE(isCompleteMessage(Bytes{0xFF})) << "a file's meta event is no message";
}

TEST(MidiBytes, ResetCodesSplitIntoTheirMessages) {
    bool ok = false;
    auto parts = split({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0xF0, 0xF7, 0xB0, 7, 100}, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(parts, (std::vector<Bytes>{
                         {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, {0xF0, 0xF7}, {0xB0, 7, 100}}));
    // Any broken part refuses the whole buffer, before anything is handed out.
    for (const Bytes& bad : std::vector<Bytes>{
             {}, {0xF0, 0x01, 0xF7, 0x05}, {0xF0, 0x01, 0xF7, 0xF0, 0x02}, {0x41, 0xF7}}) {
        EXPECT_TRUE(split(bad, &ok).empty());
        EXPECT_FALSE(ok);
    }
}

TEST(MidiBytes, ArbitraryBytesNeverBreakTheParsers) {
    std::mt19937 random(1234);
    InstrumentMap map;
    for (int round = 0; round < 20000; ++round) {
        Bytes bytes(random() % 24);
        for (auto& b : bytes) {
            // Mostly bytes that start or end messages, to reach deep into the parsers.
            int pick = static_cast<int>(random() % 4);
            b = static_cast<std::uint8_t>(pick == 0 ? 0xF0 : pick == 1 ? 0xF7 : random() % 256);
        }
        std::size_t total = 0;
        bool ok = splitMessages(bytes, [&](std::span<const std::uint8_t> part) {
            EXPECT_TRUE(isCompleteMessage(part));
            total += part.size();
        });
        EXPECT_EQ(ok, total == bytes.size() && !bytes.empty());
        SysExMeaning meaning = classifySysEx(bytes);
        if (meaning.kind == SysExMeaning::Kind::RhythmPart) {
            ASSERT_GE(meaning.channel, 0);
            ASSERT_LT(meaning.channel, kChannels);
        }
    }
}

TEST(SysExMeaning, ResetsAndRhythmPartsAreRecognised) {
    using Kind = SysExMeaning::Kind;
    auto gm = classifySysEx(Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    EXPECT_EQ(gm.kind, Kind::Reset);
    EXPECT_EQ(gm.style, ResetStyle::Gm);
    auto gs =
        classifySysEx(Bytes{0xF0, 0x41, 0x00, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
    EXPECT_EQ(gs.kind, Kind::Reset);
    EXPECT_EQ(gs.style, ResetStyle::Gs);
    auto xg = classifySysEx(Bytes{0xF0, 0x43, 0x13, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7});
    EXPECT_EQ(xg.kind, Kind::Reset);
    EXPECT_EQ(xg.style, ResetStyle::Xg);

    // XG System On needs a parameter-change device number (1n), not a bulk dump (0n).
    EXPECT_EQ(classifySysEx(Bytes{0xF0, 0x43, 0x03, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}).kind,
              Kind::Other);
    EXPECT_EQ(classifySysEx(Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7}).kind, Kind::Other);
    EXPECT_EQ(classifySysEx(Bytes{0xF0, 0xF7}).kind, Kind::Other);

    // GS parts: address 40 1x, x = 0 is part 10, 1..9 parts 1..9, A..F parts 11..16.
    auto part10 =
        classifySysEx(Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x10, 0x15, 0x00, 0x1B, 0xF7});
    EXPECT_EQ(part10.kind, Kind::RhythmPart);
    EXPECT_EQ(part10.channel, 9);
    EXPECT_FALSE(part10.drum);
    auto part2 =
        classifySysEx(Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x12, 0x15, 0x02, 0x17, 0xF7});
    EXPECT_EQ(part2.channel, 1);
    EXPECT_TRUE(part2.drum);
    auto part11 =
        classifySysEx(Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x1A, 0x15, 0x01, 0x10, 0xF7});
    EXPECT_EQ(part11.channel, 10);

    auto xgPart = classifySysEx(Bytes{0xF0, 0x43, 0x10, 0x4C, 0x08, 0x03, 0x07, 0x02, 0xF7});
    EXPECT_EQ(xgPart.kind, Kind::RhythmPart);
    EXPECT_EQ(xgPart.style, ResetStyle::Xg);
    EXPECT_EQ(xgPart.channel, 3);
    EXPECT_TRUE(xgPart.drum);
    EXPECT_EQ(classifySysEx(Bytes{0xF0, 0x43, 0x10, 0x4C, 0x08, 0x20, 0x07, 0x02, 0xF7}).kind,
              Kind::Other)
        << "part 33 does not exist";
}

TEST(InstrumentMap, BankMeaningFollowsTheStyle) {
    InstrumentMap map;
    EXPECT_EQ(map.style(), ResetStyle::Gs);
    map.controlChange(0, 0, 8);
    map.controlChange(0, 32, 3);
    EXPECT_EQ(map.programChange(0, 4), (PresetChoice{8, 4, false})) << "GS: MSB, LSB ignored";

    map.reset(ResetStyle::Xg);
    map.controlChange(0, 0, 0);
    map.controlChange(0, 32, 3);
    EXPECT_EQ(map.programChange(0, 4), (PresetChoice{3, 4, false})) << "XG: LSB variation";
    map.controlChange(0, 0, 126);
    EXPECT_EQ(map.programChange(0, 0), (PresetChoice{kDrumBank, 56, true})) << "XG SFX kit";
    EXPECT_EQ(map.current(9), (PresetChoice{kDrumBank, 0, true}));

    map.reset(ResetStyle::Gm);
    map.controlChange(0, 0, 8);
    EXPECT_EQ(map.programChange(0, 4), (PresetChoice{0, 4, false}));
    EXPECT_EQ(map.programChange(9, 200), (PresetChoice{kDrumBank, 127, true}))
        << "out-of-range program clamps";
    EXPECT_EQ(map.programChange(kChannels, 1), PresetChoice{}) << "no such channel";
}

TEST(FrameTime, ConversionsRoundAndSurviveLargeTimes) {
    EXPECT_EQ(framesFromNanos(Nanos{1'000'000'000}, 44100), 44100);
    EXPECT_EQ(framesFromNanos(Nanos{11'337}, 44100), 0);
    EXPECT_EQ(framesFromNanos(Nanos{11'338}, 44100), 1) << "half a frame rounds up";
    EXPECT_EQ(framesFromNanos(Nanos{-1'000'000'000}, 48000), -48000);
    // Thirty days of nanoseconds still convert exactly.
    const std::int64_t month = 30LL * 24 * 3600;
    EXPECT_EQ(framesFromNanos(Nanos{month * 1'000'000'000}, 96000), month * 96000);
    for (std::int64_t frame : {0LL, 1LL, 63LL, 44099LL, 123456789LL}) {
        EXPECT_EQ(framesFromNanos(nanosFromFrames(frame, 44100), 44100), frame);
    }
}

}  // namespace
}  // namespace vesk::platform::midiout
