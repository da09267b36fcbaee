#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/engine_rig.h"
#include "engine/reply_number.h"
#include "engine/sequencer_call.h"
#include "platform/clock.h"
#include "sequencer/sequencer_backend.h"
#include "support/fake_sequencer.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk::engine {
namespace {

struct Session : test::EngineRig {
    Session() {
        // Eight quarter notes at 120 per minute: 4 s.
        vesk::test::Track t;
        t.tempo(0, 500000);
        for (int k = 0; k < 8; ++k) {
            t.at(0, {0x90, 60 + k, 100}).at(96, {0x80, 60 + k, 0});
        }
        EXPECT_TRUE(engine.setFileName(write(QStringLiteral("曲.mid"), {t.end()}, 0)));
    }
};

TEST_F(Session, FreshEngineReadsClosedDefaults) {
    Engine fresh{backend, out, ui};
    EXPECT_EQ(fresh.device(), -1);
    EXPECT_EQ(fresh.lastCommand(), kSessionClosed);
    EXPECT_EQ(fresh.status(), "");
    EXPECT_EQ(fresh.nowPos(), 0);
    EXPECT_EQ(fresh.copyright(), "-");
    EXPECT_EQ(engine.playTime(), 4000);
}

TEST_F(Session, TransportOpensWhenClosedAndFollowsEachCommand) {
    engine.midiPlay();
    EXPECT_EQ(engine.status(), "playing");
    EXPECT_EQ(engine.lastCommand(), kSessionPlaying);
    EXPECT_EQ(engine.bpm(), 120);
    at(1250);
    EXPECT_EQ(engine.nowPos(), 1250);
    engine.midiPause();
    EXPECT_EQ(engine.status(), "paused");
    EXPECT_EQ(engine.lastCommand(), kSessionPaused);
    at(3000);
    EXPECT_EQ(engine.nowPos(), 1250);
    // Position and tempo change without changing what the session was last told.
    engine.setNowPos(500);
    engine.setBpm(240);
    EXPECT_EQ(engine.lastCommand(), kSessionPaused);
    EXPECT_EQ(engine.bpm(), 240);
    at(3250);
    EXPECT_EQ(engine.nowPos(), 1000);
    // Stop rewinds, so the next play starts from the beginning.
    engine.midiStop();
    EXPECT_EQ(engine.status(), "stopped");
    EXPECT_EQ(engine.nowPos(), 0);
    EXPECT_EQ(engine.lastCommand(), kSessionStopped);
    for (auto start : {&Engine::midiPlay, &Engine::midiPause, &Engine::midiStop}) {
        (engine.*start)();
        engine.midiClose();
        EXPECT_EQ(engine.lastResult(), 0);
        EXPECT_EQ(engine.lastCommand(), kSessionClosed);
        EXPECT_EQ(engine.status(), "");
        EXPECT_EQ(out.openDevices(), 0);
    }
    engine.midiOpen(QStringLiteral("/ignored.mid"));
    EXPECT_EQ(engine.lastCommand(), kSessionOpened);
    EXPECT_EQ(engine.status(), "stopped") << "the stored song is open, not the argument";
    // A query that fails reads as nothing and says why.
    engine.midiClose();
    EXPECT_EQ(engine.nowPos(), 0);
    EXPECT_EQ(engine.bpm(), 0);
    EXPECT_NE(engine.lastResult(), 0);
}

TEST_F(Session, DeviceRangeFollowsTheDeviceCountAndMovesPlayback) {
    engine.setDevice(1);
    EXPECT_EQ(engine.lastCommand(), kSessionClosed);
    engine.midiPlay();
    at(100);
    ASSERT_FALSE(out.messages().empty());
    EXPECT_EQ(out.messages().back().device, 1);

    for (int refused : {2, -2}) {
        engine.setDevice(refused);
        EXPECT_EQ(engine.device(), 1);
    }
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, QStringLiteral("指定した値が不正です"));
    EXPECT_EQ(ui.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(ui.shown[0].caption, QStringLiteral("VESK MIDI PLAYER"));

    engine.setDevice(0);
    EXPECT_EQ(engine.lastCommand(), kSessionPlaying);
    at(700);
    EXPECT_EQ(out.messages().back().device, 0);
    EXPECT_EQ(out.openDevices(), 1);
}

// Scripted answers make each step fail on its own.
TEST(SessionResult, EachCallReportsItsFirstFailure) {
    vesk::test::TempDir dir;
    const QString path =
        dir.write(QStringLiteral("曲.mid"), test::smfHeader(1, 1, 480) + test::track({}));
    test::FakeSequencer seq;
    platform::RecordingMidiOutputService out{2};
    platform::RecordingInteraction ui;
    Engine engine{seq, out, ui};
    engine.setFileName(path);
    // The open fails; the set port and play after it succeed, yet the open is what the
    // caller reads.
    seq.answers["open \"" + path.toStdString() + "\" alias Tavorin"] = {263, ""};
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
