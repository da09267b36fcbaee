#include "platform/midi_out/offline_synth.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <map>

#include "platform/midi_out/frame_time.h"
#include "platform/midi_out/synth_fixture.h"
#include "platform/midi_out/wav_writer.h"
#include "support/temp_dir.h"

namespace vesk::platform::midiout {
namespace {

using namespace std::chrono_literals;
using test::firstSoundingFrame;
using test::makeOfflineSynth;
using test::peak;

constexpr std::array<std::uint8_t, 3> kNoteOn{0x90, 60, 110};

// Where a note-on due at `frame` becomes audible when rendered `period` frames at a time.
std::int64_t onsetFor(std::int64_t frame, int period) {
    auto synth = makeOfflineSynth(period);
    if (!synth) {
        return -1;
    }
    Nanos due = nanosFromFrames(frame, synth->sampleRate());
    synth->send(kNoteOn, due);
    std::vector<float> out;
    synth->renderUntil(due + 30ms, out);
    return firstSoundingFrame(out);
}

TEST(OfflineSynthTiming, NoteLandsAtItsFrameWhateverThePeriod) {
    // The attack needs a moment to rise above the detection threshold; measure that once
    // on a block boundary and expect it everywhere else.
    const std::int64_t attack = onsetFor(4096, 64) - 4096;
    ASSERT_GE(attack, 0);
    ASSERT_LT(attack, 64);
    for (std::int64_t frame : {1000, 1055, 1056, 7777, 44100 * 3 + 17}) {
        std::map<int, std::int64_t> onsets;
        for (int period : {37, 64, 512, 4096}) {
            onsets[period] = onsetFor(frame, period);
            std::int64_t error = onsets[period] - attack - frame;
            EXPECT_LE(std::abs(error), kSynthBlockFrames / 2)
                << "frame " << frame << " period " << period << " onset " << onsets[period];
        }
        EXPECT_EQ(onsets[37], onsets[4096]) << "frame " << frame;
        EXPECT_EQ(onsets[64], onsets[512]) << "frame " << frame;
    }
}

TEST(OfflineSynthTiming, MessagesSentOutOfOrderPlayAtTheirOwnTimes) {
    auto synth = makeOfflineSynth(4096);
    ASSERT_TRUE(synth);
    const int rate = synth->sampleRate();
    // A note due later is sent first; the earlier one must not wait behind it.
    synth->send(std::array<std::uint8_t, 3>{0x90, 72, 110}, 500ms);
    synth->send(kNoteOn, 100ms);
    std::vector<float> out;
    synth->renderUntil(400ms, out);
    std::int64_t onset = firstSoundingFrame(out);
    EXPECT_NEAR(static_cast<double>(onset), static_cast<double>(framesFromNanos(100ms, rate)),
                kSynthBlockFrames * 1.5);
    EXPECT_EQ(static_cast<std::int64_t>(out.size()) / 2, framesFromNanos(400ms, rate));
}

TEST(OfflineSynthSound, RenderedNoteIsAudibleAndSilenceIsNot) {
    auto synth = makeOfflineSynth();
    ASSERT_TRUE(synth);
    std::vector<float> out;
    synth->renderUntil(200ms, out);
    EXPECT_LT(peak(out, 0, 8820), 1e-5f);
    synth->send(kNoteOn, 200ms);
    synth->renderUntil(700ms, out);
    EXPECT_GT(peak(out, 8820 + 2205, 8820 + 22050), 0.01f);
}

TEST(OfflineSynthSound, ResetSilencesAHeldNoteThatWouldOtherwiseKeepSounding) {
    for (const bool reset : {true, false}) {
        SCOPED_TRACE(reset ? "reset" : "no reset");
        auto synth = makeOfflineSynth();
        ASSERT_TRUE(synth);
        const int rate = synth->sampleRate();
        // Sustain pedal down as well: reset must release it.
        synth->send(std::array<std::uint8_t, 3>{0xB0, 64, 127}, 0ms);
        synth->send(std::array<std::uint8_t, 3>{0x90, 48, 120}, 0ms);
        std::vector<float> out;
        synth->renderUntil(500ms, out);
        ASSERT_GT(peak(out, framesFromNanos(400ms, rate), framesFromNanos(500ms, rate)), 0.005f);
        if (reset) {
            EXPECT_EQ(synth->reset(), MidiOutError::None);
        }
        synth->renderUntil(4s, out);
        const float tail = peak(out, framesFromNanos(3500ms, rate), framesFromNanos(4s, rate));
        if (reset) {
            EXPECT_LT(tail, 1e-4f);
        } else {
            EXPECT_GT(tail, 1e-3f);
        }
    }
}

TEST(OfflineSynthMessages, LongMessageIsTakenAndReported) {
    auto synth = makeOfflineSynth();
    ASSERT_TRUE(synth);
    int doneCalls = 0;
    const std::array<std::uint8_t, 9> xgOn{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    EXPECT_EQ(synth->longMsg(xgOn, [&] { ++doneCalls; }), MidiOutError::None);
    EXPECT_EQ(doneCalls, 1);
    std::vector<float> out;
    synth->renderUntil(10ms, out);
    EXPECT_EQ(synth->core().style(), ResetStyle::Xg);

    // Not a message: refused, and done never runs.
    const std::array<std::uint8_t, 3> broken{0xF0, 0x43, 0x10};
    EXPECT_EQ(synth->longMsg(broken, [&] { ++doneCalls; }), MidiOutError::BadMessage);
    EXPECT_EQ(synth->longMsg({}, [&] { ++doneCalls; }), MidiOutError::BadMessage);
    EXPECT_EQ(doneCalls, 1);
}

TEST(OfflineSynthMessages, AbsurdDeadlinesAndBrokenMessagesAreDropped) {
    auto synth = makeOfflineSynth();
    ASSERT_TRUE(synth);
    synth->send(kNoteOn, Nanos::min());
    synth->send(kNoteOn, Nanos::max());
    synth->send(std::array<std::uint8_t, 2>{0x90, 60}, 0ms);
    synth->send(std::array<std::uint8_t, 3>{0x3C, 60, 100}, 0ms);
    std::vector<float> out;
    synth->renderUntil(300ms, out);
    EXPECT_LT(peak(out, 0, static_cast<std::int64_t>(out.size() / 2)), 1e-5f);
    // Rendering backwards renders nothing.
    synth->renderUntil(100ms, out);
    EXPECT_EQ(out.size(), 2u * framesFromNanos(300ms, synth->sampleRate()));
}

TEST(OfflineSynthMessages, ResetCodeWithTwoMessagesAppliesBoth) {
    auto synth = makeOfflineSynth();
    ASSERT_TRUE(synth);
    // A GM System On followed by a GS rhythm-part message would do nothing in GM style;
    // an XG System On after GM must leave the synthesizer in XG style.
    const std::array<std::uint8_t, 15> both{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0xF0, 0x43,
                                            0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    EXPECT_EQ(synth->longMsg(both, nullptr), MidiOutError::None);
    std::vector<float> out;
    synth->renderUntil(1ms, out);
    EXPECT_EQ(synth->core().style(), ResetStyle::Xg);
}

// What lands on disk: a header players accept, and samples clipped to 16 bits.
TEST(WavWriter, RenderedSoundLandsInAPlayableFileAndBadPathsAreClearErrors) {
    auto synth = makeOfflineSynth();
    ASSERT_TRUE(synth);
    synth->send(kNoteOn, 10ms);
    std::vector<float> out;
    synth->renderUntil(300ms, out);
    out.insert(out.end(), {1.0f, -1.0f, 2.0f, -3.0f});
    vesk::test::TempDir dir;
    const QString path = dir.file(QStringLiteral("song.wav"));
    WavWriter wav;
    ASSERT_TRUE(wav.open(path, 44100)) << wav.errorString().toStdString();
    ASSERT_TRUE(wav.write(out));
    EXPECT_FALSE(wav.write(std::vector<float>{0.1f})) << "half a frame";
    EXPECT_EQ(wav.framesWritten(), static_cast<std::int64_t>(out.size() / 2));
    EXPECT_FALSE(wav.close()) << "the failed write is still reported";

    const QByteArray bytes = vesk::test::readAll(path);
    const auto dataSize = static_cast<std::uint32_t>(out.size() * 2);
    ASSERT_EQ(static_cast<std::uint32_t>(bytes.size()), 44 + dataSize);
    auto u32 = [&](int at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = v << 8 | static_cast<std::uint8_t>(bytes[at + i]);
        }
        return v;
    };
    auto s16 = [&](qsizetype at) {
        return static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                         static_cast<std::uint8_t>(bytes[at + 1]) << 8);
    };
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(u32(4), 36 + dataSize);
    EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 44100u * 4u);
    EXPECT_EQ(bytes.mid(36, 4), "data");
    EXPECT_EQ(u32(40), dataSize);
    int loudest = 0;
    for (qsizetype at = 44; at + 8 < bytes.size(); at += 2) {
        loudest = std::max(loudest, std::abs(int{s16(at)}));
    }
    EXPECT_NEAR(loudest, peak(out, 0, static_cast<std::int64_t>(out.size() / 2 - 2)) * 32767, 1.0);
    EXPECT_GT(loudest, 100);
    const qsizetype tail = bytes.size() - 8;
    EXPECT_EQ((std::vector<int>{s16(tail), s16(tail + 2), s16(tail + 4), s16(tail + 6)}),
              (std::vector<int>{32767, -32767, 32767, -32767}));

    WavWriter bad;
    EXPECT_FALSE(bad.open(dir.file(QStringLiteral("no/such/folder/out.wav")), 44100));
    EXPECT_TRUE(bad.errorString().contains(QStringLiteral("out.wav")));
    EXPECT_FALSE(bad.write(std::vector<float>{0.0f, 0.0f}));
}

}  // namespace
}  // namespace vesk::platform::midiout
