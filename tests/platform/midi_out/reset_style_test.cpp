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

TEST_F(ResetStyleTest, XgBank127MakesAnyChannelADrumKit) {
    play({kXgOn, cc(2, 0, 127), pc(2, 25)});
    EXPECT_EQ(program(2), (ChannelProgram{128, 25}));
    EXPECT_TRUE(core_->isDrumPart(2));
    // After the same bytes in GS style, bank 127 is just a missing variation bank.
    play({kGsReset, cc(2, 0, 127), pc(2, 25)});
    EXPECT_EQ(program(2), (ChannelProgram{0, 25}));
    EXPECT_FALSE(core_->isDrumPart(2));
    // And GM ignores bank select altogether.
    play({kGmOn, cc(2, 0, 127), pc(2, 25)});
    EXPECT_EQ(program(2), (ChannelProgram{0, 25}));
}

TEST_F(ResetStyleTest, BankSelectWaitsForTheProgramChange) {
    play({kXgOn, pc(3, 40), cc(3, 0, 127)});
    EXPECT_EQ(program(3), (ChannelProgram{0, 40}));
    play({pc(3, 40)});
    EXPECT_EQ(program(3), (ChannelProgram{128, 40}));
}

TEST_F(ResetStyleTest, XgChannel10TurnsMelodicWithBank0) {
    play({kXgOn, pc(9, 16)});
    EXPECT_EQ(program(9), (ChannelProgram{128, 16}));
    play({cc(9, 0, 0), pc(9, 16)});
    EXPECT_EQ(program(9), (ChannelProgram{0, 16}));
    EXPECT_FALSE(core_->isDrumPart(9));
    // SFX kit: this SoundFont has none, so the standard kit plays.
    play({cc(9, 0, 126), pc(9, 0)});
    EXPECT_EQ(program(9), (ChannelProgram{128, 0}));
    EXPECT_TRUE(core_->isDrumPart(9));
}

TEST_F(ResetStyleTest, GsAndGmKeepChannel10OnDrumsWhateverTheBank) {
    for (const Bytes& reset : {kGsReset, kGmOn}) {
        play({reset, cc(9, 0, 0), pc(9, 32)});
        EXPECT_EQ(program(9), (ChannelProgram{128, 32}));
        // A kit the SoundFont lacks falls back to the standard kit.
        play({pc(9, 1)});
        EXPECT_EQ(program(9), (ChannelProgram{128, 0}));
    }
}

TEST_F(ResetStyleTest, GsRhythmPartMessageMovesDrums) {
    play({kGsReset, gsRhythm(1, 1), pc(1, 8)});
    EXPECT_EQ(program(1), (ChannelProgram{128, 8}));
    play({gsRhythm(9, 0), pc(9, 8)});
    EXPECT_EQ(program(9), (ChannelProgram{0, 8}));
    // A GM module does not understand the GS message.
    play({kGmOn, gsRhythm(1, 1), pc(1, 8)});
    EXPECT_EQ(program(1), (ChannelProgram{0, 8}));
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
