#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/midi_out/soundfont.h"
#include "platform/midi_out/synth_core.h"
#include "platform/midi_out/synth_fixture.h"
#include "support/temp_dir.h"

namespace vesk::platform::midiout {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kGmOn{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
const Bytes kGsReset{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const Bytes kXgOn{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};

Bytes cc(int ch, int controller, int value) {
    return {static_cast<std::uint8_t>(0xB0 | ch), static_cast<std::uint8_t>(controller),
            static_cast<std::uint8_t>(value)};
}
Bytes pc(int ch, int program) {
    return {static_cast<std::uint8_t>(0xC0 | ch), static_cast<std::uint8_t>(program)};
}
// GS "use for rhythm part" for the part that channel `ch` drives.
Bytes gsRhythm(int ch, int map) {
    int part = ch == 9 ? 0 : (ch < 9 ? ch + 1 : ch);
    Bytes m{0xF0,
            0x41,
            0x10,
            0x42,
            0x12,
            0x40,
            static_cast<std::uint8_t>(0x10 | part),
            0x15,
            static_cast<std::uint8_t>(map)};
    int sum = 0;
    for (std::size_t i = 5; i < m.size(); ++i) {
        sum += m[i];
    }
    m.push_back(static_cast<std::uint8_t>((128 - sum % 128) % 128));
    m.push_back(0xF7);
    return m;
}

class ResetStyleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QString error;
        core_ = SynthCore::create({test::smallSoundFont()}, error);
        ASSERT_NE(core_, nullptr) << error.toStdString();
    }
    void play(std::initializer_list<Bytes> messages) {
        for (const Bytes& m : messages) {
            core_->apply(m);
        }
    }
    ChannelProgram program(int ch) {
        auto p = core_->channelProgram(ch);
        EXPECT_TRUE(p.has_value());
        return p.value_or(ChannelProgram{-1, -1});
    }
    std::unique_ptr<SynthCore> core_;
};

// The small SoundFont has melodic bank 0 and drum kits 0, 8, 16, 24, 25, 32, 40, 48 in
// bank 128; it has no variation banks, so those fall back to bank 0.

// Each step plays its messages after the steps before it, then checks which program and
// bank the channel sounds and whether it is a drum part.
TEST_F(ResetStyleTest, BankAndDrumChoiceFollowTheResetStyle) {
    struct Step {
        const char* what;
        std::vector<Bytes> messages;
        int channel;
        ChannelProgram expected;
        bool drums;
    };
    const std::vector<Step> steps = {
        {"XG bank 127 makes any channel a drum kit",
         {kXgOn, cc(2, 0, 127), pc(2, 25)},
         2,
         {128, 25},
         true},
        {"in GS bank 127 is a missing variation bank",
         {kGsReset, cc(2, 0, 127), pc(2, 25)},
         2,
         {0, 25},
         false},
        {"GM ignores bank select", {kGmOn, cc(2, 0, 127), pc(2, 25)}, 2, {0, 25}, false},
        {"bank select waits for the program change",
         {kXgOn, pc(3, 40), cc(3, 0, 127)},
         3,
         {0, 40},
         false},
        {"... and then takes effect", {pc(3, 40)}, 3, {128, 40}, true},
        {"XG channel 10 starts on drums", {kXgOn, pc(9, 16)}, 9, {128, 16}, true},
        {"XG channel 10 turns melodic with bank 0", {cc(9, 0, 0), pc(9, 16)}, 9, {0, 16}, false},
        {"XG SFX kit falls back to the standard kit", {cc(9, 0, 126), pc(9, 0)}, 9, {128, 0}, true},
        {"GS keeps channel 10 on drums", {kGsReset, cc(9, 0, 0), pc(9, 32)}, 9, {128, 32}, true},
        {"a missing kit falls back to the standard kit", {pc(9, 1)}, 9, {128, 0}, true},
        {"GM keeps channel 10 on drums", {kGmOn, cc(9, 0, 0), pc(9, 32)}, 9, {128, 32}, true},
        {"GS rhythm part message moves drums",
         {kGsReset, gsRhythm(1, 1), pc(1, 8)},
         1,
         {128, 8},
         true},
        {"... and away from channel 10", {gsRhythm(9, 0), pc(9, 8)}, 9, {0, 8}, false},
        {"GM does not understand it", {kGmOn, gsRhythm(1, 1), pc(1, 8)}, 1, {0, 8}, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        for (const Bytes& m : step.messages) {
            core_->apply(m);
        }
        EXPECT_EQ(program(step.channel), step.expected);
        EXPECT_EQ(core_->isDrumPart(step.channel), step.drums);
    }
}

TEST_F(ResetStyleTest, ResetPutsEveryChannelBackToItsStart) {
    play({kXgOn, cc(0, 0, 127), pc(0, 24), pc(5, 70), cc(9, 0, 0), pc(9, 3)});
    play({kGsReset});
    EXPECT_EQ(core_->style(), ResetStyle::Gs);
    for (int ch = 0; ch < 16; ++ch) {
        EXPECT_EQ(program(ch), ch == 9 ? (ChannelProgram{128, 0}) : (ChannelProgram{0, 0}))
            << "channel " << ch;
    }
    // Bank select from before the reset is forgotten.
    play({pc(0, 5)});
    EXPECT_EQ(program(0), (ChannelProgram{0, 5}));
}

TEST_F(ResetStyleTest, ResetsFromAnyDeviceIdAreRecognised) {
    Bytes gs = kGsReset;
    gs[2] = 0x7F;
    Bytes xg = kXgOn;
    xg[2] = 0x1F;
    play({xg});
    EXPECT_EQ(core_->style(), ResetStyle::Xg);
    play({gs});
    EXPECT_EQ(core_->style(), ResetStyle::Gs);
    play({kGmOn});
    EXPECT_EQ(core_->style(), ResetStyle::Gm);
}

TEST(SoundFontChoice, ConfiguredPathWinsOtherwiseFirstThatExists) {
    vesk::test::TempDir dir;
    QString second = dir.write(QStringLiteral("b.sf2"), "x");
    QString third = dir.write(QStringLiteral("c.sf2"), "x");
    QStringList candidates{dir.file(QStringLiteral("missing.sf2")), second, third};
    EXPECT_EQ(resolveSoundFont(QString(), candidates), second);
    EXPECT_EQ(resolveSoundFont(QStringLiteral("/my/own.sf2"), candidates),
              QStringLiteral("/my/own.sf2"));
    EXPECT_EQ(resolveSoundFont(QString(), {dir.file(QStringLiteral("missing.sf2"))}), QString());
    EXPECT_EQ(resolveSoundFont(QString(), {dir.path()}), QString()) << "a folder is no SoundFont";
}

TEST(SoundFontChoice, ProblemsAreNamedClearly) {
    vesk::test::TempDir dir;
    QString garbage = dir.write(QStringLiteral("garbage.sf2"), QByteArray(5000, '\x5A'));
    QString empty = dir.write(QStringLiteral("empty.sf2"), QByteArray());
    QString riffOnly =
        dir.write(QStringLiteral("riff.sf2"), QByteArray("RIFF\xff\xff\xff\x7fsfbkLIST", 16));
    QString missing = dir.file(QStringLiteral("missing.sf2"));

    EXPECT_TRUE(checkSoundFont(test::smallSoundFont()).ok);
    for (const QString& path : {garbage, empty, riffOnly, missing, dir.path()}) {
        SoundFontCheck check = checkSoundFont(path);
        EXPECT_FALSE(check.ok) << path.toStdString();
        EXPECT_TRUE(check.message.contains(path)) << check.message.toStdString();
    }
    EXPECT_TRUE(checkSoundFont(missing).message.contains(QStringLiteral("ありません")));
    EXPECT_TRUE(checkSoundFont(garbage).message.contains(QStringLiteral("ではありません")));
    EXPECT_TRUE(checkSoundFont(riffOnly).message.contains(QStringLiteral("読み込めません")));
    EXPECT_FALSE(checkSoundFont(QString()).ok);

    QString error;
    EXPECT_EQ(SynthCore::create({garbage}, error), nullptr);
    EXPECT_TRUE(error.contains(garbage));
}

}  // namespace
}  // namespace vesk::platform::midiout
