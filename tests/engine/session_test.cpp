#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/reply_number.h"
#include "engine/sequencer_call.h"
#include "platform/clock.h"
#include "sequencer/sequencer_backend.h"
#include "support/fake_sequencer.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk::engine {
namespace {

using Commands = std::vector<std::string>;

struct Session : ::testing::Test {
    Session() {
        path = dir.write(QStringLiteral("曲.mid"), test::smfHeader(1, 1, 480) + test::track({}));
        engine.setFileName(path);
        seq.clear();
    }
    std::string open() const { return "open \"" + path.toStdString() + "\" alias Tavorin"; }

    vesk::test::TempDir dir;
    QString path;
    test::FakeSequencer seq;
    platform::RecordingMidiOutputService out{2};
    platform::RecordingInteraction ui;
    Engine engine{seq, out, ui};
};

TEST_F(Session, FreshEngineReadsClosedDefaults) {
    Engine fresh{seq, out, ui};
    EXPECT_EQ(fresh.device(), -1);
    EXPECT_EQ(fresh.lastCommand(), kSessionClosed);
    EXPECT_EQ(fresh.status(), "");
    EXPECT_EQ(fresh.nowPos(), 0);
    EXPECT_EQ(fresh.copyright(), "-");
}

TEST_F(Session, TransportCommandsOpenWhenClosedAndSetLastCommand) {
    engine.midiPlay();
    EXPECT_EQ(seq.commands, (Commands{open(), "set Tavorin port -1", "play Tavorin"}));
    EXPECT_EQ(engine.lastCommand(), kSessionPlaying);

    seq.clear();
    engine.midiPause();
    engine.midiStop();
    engine.midiPlay();
    EXPECT_EQ(seq.commands,
              (Commands{"pause Tavorin", "seek Tavorin to start", "stop Tavorin", "play Tavorin"}));

    Engine closed{seq, out, ui};
    seq.clear();
    closed.midiStop();
    EXPECT_EQ(seq.commands, (Commands{"open \"\" alias Tavorin", "set Tavorin port -1",
                                      "seek Tavorin to start", "stop Tavorin"}));
    EXPECT_EQ(closed.lastCommand(), kSessionStopped);
}

TEST_F(Session, CloseStopsOnlyAStartedSession) {
    engine.midiClose();
    engine.midiOpen(QStringLiteral("/ignored.mid"));
    EXPECT_EQ(engine.lastCommand(), kSessionOpened);
    engine.midiClose();
    EXPECT_EQ(seq.commands,
              (Commands{"close Tavorin", open(), "set Tavorin port -1", "close Tavorin"}));
    for (auto start : {&Engine::midiPlay, &Engine::midiPause, &Engine::midiStop}) {
        (engine.*start)();
        seq.clear();
        engine.midiClose();
        EXPECT_EQ(seq.commands, (Commands{"stop Tavorin", "close Tavorin"}));
        EXPECT_EQ(engine.lastCommand(), kSessionClosed);
    }
}

TEST_F(Session, EachCallReportsItsFirstFailure) {
    // The open fails; the set port and play after it succeed, yet the open is what the
    // caller reads.
    seq.answers[open()] = {263, ""};
    engine.midiPlay();
    EXPECT_EQ(engine.lastResult(), 263);

    // The next call starts afresh and reports its own failure.
    seq.answers["stop Tavorin"] = {5, ""};
    engine.midiStop();
    EXPECT_EQ(engine.lastResult(), 5);

    // The stop before a close is not part of its result.
    engine.midiClose();
    EXPECT_EQ(engine.lastResult(), 0);
    seq.answers["close Tavorin"] = {7, ""};
    engine.midiPlay();
    engine.midiClose();
    EXPECT_EQ(engine.lastResult(), 7);

    // A refused device number sends nothing and leaves the last result alone.
    engine.setDevice(5);
    EXPECT_EQ(engine.lastResult(), 7);
}

TEST(SessionOnTheSequencer, ASongTheSequencerRefusesReportsWhy) {
    // A header the quick scan accepts, but no track for the sequencer to play.
    vesk::test::TempDir dir;
    const QString path = dir.write(QStringLiteral("header-only.mid"), test::smfHeader(0, 1, 96));
    platform::VirtualClock clock;
    platform::RecordingMidiOutputService out{1};
    sequencer::SequencerBackend backend{out, clock, sequencer::SequencerBackend::Drive::Manual};
    platform::RecordingInteraction ui;
    Engine engine{backend, out, ui};
    const int noTracks = sequencer::commandCode(sequencer::SequencerError::NoTracks);

    engine.setFileName(path);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(engine.playTime(), 0);
    EXPECT_EQ(engine.lastResult(), noTracks);

    // The commands after the failed open fail only because no song is open; the caller
    // still learns that the song has no tracks.
    engine.midiPlay();
    EXPECT_EQ(engine.lastResult(), noTracks);
    EXPECT_FALSE(engine.lastResultMessage().isEmpty());
    EXPECT_EQ(engine.status(), "");
    EXPECT_EQ(out.openCount(), 0);
}

TEST_F(Session, DeviceRangeFollowsTheDeviceCount) {
    engine.setDevice(1);
    engine.setDevice(-1);
    EXPECT_EQ(seq.commands,
              (Commands{open(), "set Tavorin port 1", open(), "set Tavorin port -1"}));
    EXPECT_EQ(engine.lastCommand(), kSessionClosed);
    EXPECT_TRUE(ui.shown.empty());

    seq.clear();
    engine.setDevice(2);
    engine.setDevice(-2);
    EXPECT_EQ(engine.device(), -1);
    EXPECT_TRUE(seq.commands.empty());
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, QStringLiteral("指定した値が不正です"));
    EXPECT_EQ(ui.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(ui.shown[0].caption, QStringLiteral("VESK MIDI PLAYER"));

    engine.midiPlay();
    seq.clear();
    engine.setDevice(0);
    EXPECT_EQ(seq.commands, (Commands{"set Tavorin port 0"}));
    EXPECT_EQ(engine.lastCommand(), kSessionPlaying);
}

TEST_F(Session, QueriesParseRepliesAndIgnoreFailedOnes) {
    seq.answers["status Tavorin position"] = {0, " 83456 ms"};
    seq.answers["status Tavorin Tempo"] = {0, "120.6"};
    seq.answers["status Tavorin mode"] = {0, "playing"};
    EXPECT_EQ(engine.nowPos(), 83456);
    EXPECT_EQ(engine.bpm(), 121);
    EXPECT_EQ(engine.status(), "playing");
    EXPECT_EQ(seq.commands,
              (Commands{"set Tavorin time format milliseconds", "status Tavorin position",
                        "status Tavorin Tempo", "status Tavorin mode"}));
    EXPECT_EQ(seq.replyLengths, (std::vector<int>{0, 16, 64, 10}));

    for (auto& [command, answer] : seq.answers) {
        answer.code = 282;
    }
    EXPECT_EQ(engine.nowPos(), 0);
    EXPECT_EQ(engine.bpm(), 0);
    EXPECT_EQ(engine.status(), "");
    EXPECT_EQ(engine.lastResult(), 282);
}

TEST_F(Session, WritingPositionOrTempoKeepsLastCommand) {
    engine.midiPause();
    seq.clear();
    engine.setNowPos(0);
    engine.setBpm(240);
    EXPECT_EQ(seq.commands, (Commands{"set Tavorin time format milliseconds", "play Tavorin from 0",
                                      "set Tavorin Tempo 240"}));
    EXPECT_EQ(engine.lastCommand(), kSessionPaused);

    Engine closed{seq, out, ui};
    seq.clear();
    closed.setBpm(60);
    EXPECT_EQ(seq.commands.back(), "set Tavorin Tempo 60");
    EXPECT_EQ(seq.commands.size(), 3u);
    EXPECT_EQ(closed.lastCommand(), kSessionClosed);
}

TEST(OpenCommand, PathsOfAnyBytesOpenInTheBackEnd) {
    vesk::test::TempDir dir;
    // One note of a quarter at 120 BPM: 500 ms.
    const QByteArray song = test::smfHeader(0, 1, 480) +
                            test::track(QByteArray("\x00\x90\x3C\x64\x83\x60\x80\x3C\x00", 9));
    platform::VirtualClock clock;
    platform::RecordingMidiOutputService out{1};
    sequencer::SequencerBackend backend{out, clock, sequencer::SequencerBackend::Drive::Manual};
    const QByteArray names[] = {"say \"hi\".mid", "back\\slash\\.mid", "two  spaces .mid",
                                "new\nline.mid",  "\\\".mid",          "\x8B\xC8.mid"};
    for (const QByteArray& name : names) {
        const QString path = dir.writeNamed(name, song);
        CallResult result;
        EXPECT_EQ(measurePlayTime(backend, path, result), 500) << name.toStdString();
        EXPECT_FALSE(result.failed()) << result.message().toStdString();
    }
}

TEST(ReplyNumber, LeadingDecimalNumber) {
    EXPECT_EQ(leadingWholeNumber(""), 0);
    EXPECT_EQ(leadingWholeNumber("stopped"), 0);
    EXPECT_EQ(leadingWholeNumber("\t 12 34"), 12);
    EXPECT_EQ(leadingWholeNumber("-7.4x"), -7);
    EXPECT_EQ(leadingWholeNumber("2.5"), 2);
    EXPECT_EQ(leadingWholeNumber("3.5"), 4);
    EXPECT_EQ(leadingWholeNumber(std::string(400, '9')), INT32_MAX);
    EXPECT_EQ(leadingWholeNumber("-99999999999"), INT32_MIN);
    EXPECT_DOUBLE_EQ(leadingNumber(".25"), 0.25);
}

}  // namespace
}  // namespace vesk::engine
