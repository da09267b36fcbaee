#include "sequencer/sequencer_backend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "sequencer/backend_rig.h"

namespace vesk::sequencer::test {
namespace {

// 100 ticks per quarter at 120 per minute, so a tick is 5 ms. Program 5 and volume 100 on
// channel 0, then eight notes a quarter apart, each 400 ms long; the song ends at 4000 ms.
ByteVector scaleSong() {
    Track t;
    t.tempo(0, 500000).at(0, {0xC0, 5}).at(0, {0xB0, 7, 100});
    t.at(0, {0x90, 60, 100}).at(80, {0x80, 60, 0});
    for (int k = 1; k < 8; ++k) {
        t.at(20, {0x90, 60 + k, 100}).at(80, {0x80, 60 + k, 0});
    }
    t.end(20);
    return vesk::test::smf(0, 100, {t});
}

using Backend = BackendRig;

TEST_F(Backend, CommandsAnswerWithDistinctCodes) {
    const std::string missing = dir.file("none.mid").toStdString();
    const std::vector<std::pair<std::string, SequencerError>> before = {
        {"", SequencerError::UnknownCommand},
        {"fly Tavorin", SequencerError::UnknownCommand},
        {"status Nobody mode", SequencerError::UnknownAlias},
        {"open \"" + missing + "\" alias Tavorin", SequencerError::FileNotFound},
        {"open \"" + dir.path().toStdString() + "\" alias Tavorin", SequencerError::FileNotFound},
        {"open \"" + sharedFile("not-a-midi-file.mid") + "\" alias Tavorin",
         SequencerError::NotMidiFile},
        {"open \"" + file(vesk::test::smfHeader(0, 1, 96), QStringLiteral("empty.mid")) +
             "\" alias Tavorin",
         SequencerError::NoTracks},
        {"open \"" + file(scaleSong()) + "\"", SequencerError::BadSyntax},
        {"open \"unterminated alias Tavorin", SequencerError::BadSyntax},
    };
    for (const auto& [command, expected] : before) {
        EXPECT_EQ(send(command), expected) << command;
    }
    open(scaleSong());
    const std::vector<std::pair<std::string, SequencerError>> after = {
        {"open \"" + file(scaleSong()) + "\" alias TAVORIN", SequencerError::AliasInUse},
        {"play Tavorin from abc", SequencerError::BadNumber},
        {"play Tavorin from -5", SequencerError::BadNumber},
        {"play Tavorin from 99999999999999999999", SequencerError::BadNumber},
        {"set Tavorin Tempo 0", SequencerError::BadNumber},
        {"set Tavorin port -2", SequencerError::BadNumber},
        {"seek Tavorin to", SequencerError::BadSyntax},
        {"seek Tavorin to x", SequencerError::BadNumber},
        {"status Tavorin volume", SequencerError::BadSyntax},
        {"pause Tavorin now", SequencerError::BadSyntax},
        {"set Tavorin time format frames", SequencerError::Unsupported},
        {"set Tavorin time format milliseconds", SequencerError::None},
        {"status Tavorin mode", SequencerError::None},  // no reply buffer at all
    };
    for (const auto& [command, expected] : after) {
        EXPECT_EQ(send(command), expected) << command;
    }
    EXPECT_EQ(output.openCount(), 0);

    // Keywords and aliases in any case; replies cut to the buffer, NUL-terminated.
    EXPECT_EQ(status("MODE", "tAVORIN"), "stopped");
    char small[4] = "xxx";
    EXPECT_EQ(answer(seq, "status Tavorin mode", small, 4), SequencerError::None);
    EXPECT_STREQ(small, "sto");
    char failed[8] = "xxx";
    EXPECT_EQ(answer(seq, "status Other mode", failed, 8), SequencerError::UnknownAlias);
    EXPECT_STREQ(failed, "");

    run("close Tavorin");
    EXPECT_EQ(send("close Tavorin"), SequencerError::UnknownAlias);
    open(scaleSong(), "A");
    open(scaleSong(), "B");
    run("close all");
    EXPECT_EQ(send("status A mode"), SequencerError::UnknownAlias);
}

TEST_F(Backend, DataOnlyMeasuresTheLengthWithoutOpeningADevice) {
    open(scaleSong());
    for (int round = 0; round < 2; ++round) {
        open(scaleSong(), "DataOnly");
        EXPECT_EQ(status("length", "DataOnly"), "4000");
        run("close DataOnly");
        EXPECT_EQ(output.openCount(), round);
        if (round == 0) {
            run("play Tavorin");
        }
    }
    EXPECT_EQ(status("mode"), "playing");
}

TEST_F(Backend, PositionLengthAndTempoFollowTheFilesTempoMap) {
    // One second at 120 per minute, then 200 ticks at 240 per minute: 1500 ms.
    Track t;
    t.tempo(0, 500000).at(0, {0x90, 60, 100}).tempo(200, 250000).at(0, {0x80, 60, 0}).end(200);
    open(vesk::test::smf(0, 100, {t}));
    EXPECT_EQ(status("length"), "1500");
    run("play Tavorin");
    for (const auto& [when, tempo] : {std::pair{500, "120"}, {1250, "240"}}) {
        at(when);
        EXPECT_EQ(position(), when);
        EXPECT_EQ(status("tempo"), tempo);
    }
    at(1499);
    EXPECT_EQ(status("mode"), "playing");
    at(3000);
    EXPECT_EQ(status("mode"), "stopped");
    EXPECT_EQ(position(), 1500);
    EXPECT_FALSE(seq.nextDeadline().has_value());
    EXPECT_TRUE(hasMessage(output.messages(), {0x80, 60, 0}, ms(1000)));
}

// Files whose length is set by something other than their last note: the song stops
// exactly there and a new play starts from the top.
TEST_F(Backend, SongsLastUntilTheirEndAndPlayAgainFromTheTop) {
    // 25 frames of 40 ticks: 1 ms ticks, whatever tempo the file names.
    Track t;
    t.tempo(0, 1000000).at(0, {0x90, 60, 100}).at(1000, {0x80, 60, 0}).end(500);
    const std::string smpte = file(vesk::test::smf(0, 0xE728, {t}));
    struct Case {
        std::string path;
        const char* length;
        std::int64_t end;
        std::size_t notes;
        std::int64_t firstNoteDue;
        std::int64_t lastNoteDue;
    };
    // track-length.mid: a quarter note, then a half note of silence before End of Track.
    // The format 2 file plays its two 9-quarter sequences one after the other.
    for (const Case& c : {Case{sharedFile("track-length.mid"), "1500", 1500, 1, 0, 0},
                          Case{sharedFile("2-tracks-type-2.mid"), "9000", 9000, 16, 500, 8500},
                          Case{smpte, "1500", 1500, 1, 0, 0}}) {
        SCOPED_TRACE(c.path);
        output.clear();
        clock.set(ms(0));
        openPath(c.path);
        EXPECT_EQ(status("length"), c.length);
        run("play Tavorin");
        at(c.end - 1);
        EXPECT_EQ(status("mode"), "playing");
        at(c.end);
        EXPECT_EQ(status("mode"), "stopped");
        ASSERT_EQ(noteOns(output.messages()).size(), c.notes);
        EXPECT_EQ(noteOns(output.messages()).back().due, ms(c.lastNoteDue));
        EXPECT_TRUE(sounding(output.messages()).empty());
        output.clear();
        run("play Tavorin");
        EXPECT_EQ(position(), 0);
        at(c.end + c.firstNoteDue);
        ASSERT_FALSE(noteOns(output.messages()).empty());
        EXPECT_EQ(noteOns(output.messages()).front().due, ms(c.end + c.firstNoteDue));
        run("close Tavorin");
    }
}

TEST_F(Backend, PauseKeepsThePositionAndResumeContinuesFromIt) {
    open(scaleSong());
    run("play Tavorin");
    at(1250);
    run("pause Tavorin");
    EXPECT_EQ(status("mode"), "paused");
    // The note sounding since 1000 ms is released at the pause.
    EXPECT_TRUE(hasMessage(output.messages(), {0x80, 62, 0}, ms(1250)));
    EXPECT_FALSE(seq.nextDeadline().has_value());  // nothing to wake up for while paused
    at(5000);
    EXPECT_EQ(position(), 1250);
    run("play Tavorin");
    at(5250);
    EXPECT_EQ(position(), 1500);
    // The fourth note (1500 ms into the song) comes 250 ms after resuming.
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 63, 100}, ms(5250)));
}

TEST_F(Backend, SeekToStartThenStopRewindsAndAPlainStopKeepsItsPlace) {
    open(scaleSong());
    run("play Tavorin");
    at(1200);
    run("seek Tavorin to start");
    run("stop Tavorin");
    EXPECT_EQ(status("mode"), "stopped");
    at(2000);
    EXPECT_EQ(position(), 0);
    output.clear();
    run("play Tavorin");
    at(2000);
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 60, 100}, ms(2000)));
    at(2700);
    run("stop Tavorin");
    EXPECT_EQ(position(), 700);
    run("seek Tavorin to end");
    EXPECT_EQ(position(), 4000);
}

TEST_F(Backend, NoNoteIsLeftSoundingWhateverEndsPlayback) {
    for (const std::string action : {"pause", "stop", "seek", "from", "close", "end"}) {
        SCOPED_TRACE(action);
        // Two channels, notes that never end on their own.
        Track t;
        t.at(0, {0x90, 60, 100}).at(0, {0x91, 64, 100}).at(0, {0xB0, 64, 127}).end(400);
        output.clear();
        open(vesk::test::smf(0, 100, {t}));
        clock.set(ms(0));
        run("play Tavorin");
        at(action == "end" ? 2000 : 100);
        if (action == "seek") {
            run("seek Tavorin to 50");
        } else if (action == "from") {
            run("play Tavorin from 10");
            run("pause Tavorin");
        } else if (action != "end") {
            run(action + " Tavorin");
        }
        const auto messages = output.messages();
        EXPECT_TRUE(sounding(messages).empty());
        for (std::uint8_t ch : {0, 1}) {
            for (std::uint8_t controller : {64, 123}) {
                const ByteVector off{static_cast<std::uint8_t>(0xB0 | ch), controller, 0};
                EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                                        [&](const auto& m) { return m.bytes == off; }))
                    << int{ch} << " " << int{controller};
            }
        }
        if (action != "close") {
            run("close Tavorin");
        }
    }
}

TEST_F(Backend, PlayFromChasesTheStateBeforeThePosition) {
    Track t;
    t.at(0, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7})
        .at(0, {0xB0, 0, 1})  // bank 1
        .at(0, {0xC0, 10})
        .at(0, {0xB0, 7, 80})
        .at(0, {0xB0, 101, 0})  // pitch bend range 12 semitones
        .at(0, {0xB0, 100, 0})
        .at(0, {0xB0, 6, 12})
        .at(0, {0x90, 60, 100})
        .at(100, {0xC0, 20})
        .at(0, {0xB0, 7, 60})
        .at(0, {0xE0, 0x00, 0x50})
        .at(0, {0x80, 60, 0})
        .tempo(50, 250000)  // 240 per minute from 750 ms on
        .at(150, {0x90, 62, 100})
        .at(100, {0x80, 62, 0})
        .end();
    open(vesk::test::smf(0, 100, {t}));
    clock.set(ms(300));
    run("play Tavorin from 1000");
    const auto messages = output.messages();
    const std::vector<ByteVector> expected = {
        {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
        {0xB0, 121, 0},
        {0xB0, 0, 1},
        {0xC0, 20},
        {0xB0, 7, 60},
        {0xB0, 101, 0},
        {0xB0, 100, 0},
        {0xB0, 6, 12},
        {0xB0, 101, 0},
        {0xB0, 100, 0},
        {0xE0, 0x00, 0x50},
    };
    ASSERT_EQ(messages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(messages[i].bytes, expected[i]) << i;
        EXPECT_EQ(messages[i].due, ms(300)) << i;
    }
    EXPECT_EQ(position(), 1000);
    EXPECT_EQ(status("tempo"), "240");
    // 1000 ms is tick 250; the note at tick 300 is 50 ticks of 2.5 ms later.
    at(2000);
    ASSERT_EQ(noteOns(output.messages()).size(), 1u);
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 62, 100}, ms(425)));
}

TEST_F(Backend, SetTempoHoldsUntilTheFilesNextTempoEvent) {
    // 120 per minute until tick 400 (2000 ms), then 60 per minute; ends at 4000 ms.
    Track t;
    t.tempo(0, 500000).at(200, {0x90, 60, 100}).tempo(200, 1000000).at(100, {0x80, 60, 0}).end(100);
    open(vesk::test::smf(0, 100, {t}));
    run("set Tavorin Tempo 240");
    run("play Tavorin");
    // Song time runs twice as fast as the clock until the file's tempo event takes over.
    for (const auto& [when, songTime, tempo] : {std::tuple{250, 500, "240"},
                                                {999, 1998, "240"},
                                                {1000, 2000, "60"},
                                                {2000, 3000, "60"}}) {
        at(when);
        EXPECT_EQ(position(), songTime) << when;
        EXPECT_EQ(status("tempo"), tempo) << when;
    }
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 60, 100}, ms(500)));
    EXPECT_TRUE(hasMessage(output.messages(), {0x80, 60, 0}, ms(2000)));
    at(3000);
    EXPECT_EQ(status("mode"), "stopped");
    EXPECT_EQ(position(), 4000);
}

TEST_F(Backend, SetTempoWhilePlayingHoldsAcrossPause) {
    open(scaleSong());
    run("play Tavorin");
    at(1000);
    run("set Tavorin Tempo 60");  // half speed; the song has no later tempo event
    at(2000);
    EXPECT_EQ(position(), 1500);
    run("pause Tavorin");
    at(3000);
    run("play Tavorin");
    at(4000);
    EXPECT_EQ(position(), 2000);
    EXPECT_EQ(status("tempo"), "60");
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 63, 100}, ms(2000)));
}

TEST_F(Backend, DamagedFilesStillPlay) {
    for (const char* name : {"corrupt-file-missing-byte.mid", "illegal-message-all.mid",
                             "non-midi-track.mid", "empty.mid"}) {
        SCOPED_TRACE(name);
        output.clear();
        clock.set(ms(0));
        openPath(sharedFile(name));
        run("play Tavorin");
        at(60000);
        EXPECT_EQ(status("mode"), "stopped");
        EXPECT_EQ(noteOns(output.messages()).size(), std::string(name) == "empty.mid" ? 0u : 8u);
        run("close Tavorin");
    }
}

TEST_F(Backend, DeviceThatFailsToOpenLeavesASilentButUsableSession) {
    open(scaleSong());
    run("set Tavorin port 1");
    output.setOpenResult(platform::MidiOutError::Busy);
    EXPECT_EQ(send("play Tavorin"), SequencerError::DeviceOpen);
    EXPECT_EQ(status("mode"), "playing");
    at(500);
    EXPECT_EQ(position(), 500);
    EXPECT_TRUE(output.messages().empty());
    output.setOpenResult(platform::MidiOutError::None);
    run("pause Tavorin");
    run("play Tavorin");
    at(1100);
    ASSERT_FALSE(output.messages().empty());
    EXPECT_EQ(output.messages().back().device, 1);
    run("close Tavorin");
    EXPECT_EQ(output.openDevices(), 0);
}

TEST_F(Backend, ChangingThePortMovesPlaybackToTheNewDevice) {
    open(scaleSong());
    run("set Tavorin port 0");
    run("play Tavorin");
    at(100);
    run("set Tavorin port 1");
    std::vector<RecordedMessage> old;
    std::vector<RecordedMessage> moved;
    for (const auto& m : output.messages()) {
        (m.device == 0 ? old : moved).push_back(m);
    }
    EXPECT_TRUE(sounding(old).empty());
    // The new device gets the program and volume before anything else.
    ASSERT_GE(moved.size(), 3u);
    EXPECT_EQ(moved[1].bytes, (ByteVector{0xC0, 5}));
    EXPECT_EQ(moved[2].bytes, (ByteVector{0xB0, 7, 100}));
    EXPECT_EQ(output.openDevices(), 1);
    at(600);
    EXPECT_EQ(output.messages().back().device, 1);
}

TEST(BackendRealTime, PlaysOnItsOwnThreadToTheEndAndPausedSendsNothing) {
    platform::SteadyClock clock;
    platform::RecordingMidiOutputService output;
    vesk::test::TempDir dir;
    // Ten notes of 10 ms: 100 ms in all.
    Track t;
    t.tempo(0, 500000);
    for (int k = 0; k < 10; ++k) {
        t.at(0, {0x90, 60 + k, 100}).at(2, {0x80, 60 + k, 0});
    }
    t.end();
    const QString path =
        dir.write("rt.mid", vesk::test::toQByteArray(vesk::test::smf(0, 100, {t})));
    SequencerBackend seq(output, clock);
    ASSERT_EQ(answer(seq, "open \"" + path.toStdString() + "\" alias Tavorin"),
              SequencerError::None);
    ASSERT_EQ(answer(seq, "play Tavorin"), SequencerError::None);
    char mode[16] = "";
    for (int i = 0; i < 1000; ++i) {
        seq.sendString("status Tavorin mode", mode, sizeof mode);
        if (std::string(mode) == "stopped" && output.messages().size() >= 20) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_STREQ(mode, "stopped");
    const auto messages = output.messages();
    EXPECT_EQ(noteOns(messages).size(), 10u);
    EXPECT_TRUE(sounding(messages).empty());
    for (std::size_t i = 1; i < messages.size(); ++i) {
        EXPECT_LE(messages[i - 1].due, messages[i].due);
    }
    char position[16] = "";
    seq.sendString("status Tavorin position", position, sizeof position);
    EXPECT_STREQ(position, "100");

    ASSERT_EQ(answer(seq, "play Tavorin"), SequencerError::None);
    ASSERT_EQ(answer(seq, "pause Tavorin"), SequencerError::None);
    const std::size_t count = output.messages().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(output.messages().size(), count);
    EXPECT_TRUE(sounding(output.messages()).empty());
}

// A clock that fails on demand, with a standard exception or with anything else.
class FailingClock final : public platform::Clock {
  public:
    enum class Failure { None, Standard, Other };
    Nanos now() const override {
        if (failure == Failure::Standard) {
            throw std::runtime_error("clock unplugged");
        }
        if (failure == Failure::Other) {
            throw 42;
        }
        return Nanos{0};
    }
    std::atomic<Failure> failure{Failure::None};
};

std::vector<QString> sequencerWarnings;

void recordWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg &&
        QLatin1String(context.category) == QLatin1String("vesk.sequencer")) {
        sequencerWarnings.push_back(text);
    }
}

TEST(BackendFailures, AnEscapingExceptionIsLoggedAndAnsweredAsInternalError) {
    FailingClock clock;
    platform::RecordingMidiOutputService output;
    vesk::test::TempDir dir;
    SequencerBackend seq(output, clock, SequencerBackend::Drive::Manual);
    const QString path = dir.write("song.mid", vesk::test::toQByteArray(scaleSong()));
    ASSERT_EQ(answer(seq, "open \"" + path.toStdString() + "\" alias Tavorin"),
              SequencerError::None);

    sequencerWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
    for (auto failure : {FailingClock::Failure::Standard, FailingClock::Failure::Other}) {
        clock.failure = failure;
        char reply[16] = "junk";
        EXPECT_EQ(answer(seq, "status Tavorin position", reply, sizeof reply),
                  SequencerError::Internal);
        EXPECT_STREQ(reply, "");
    }
    qInstallMessageHandler(previous);
    // Healthy again before any check can end the test: closing the back end reads the clock.
    clock.failure = FailingClock::Failure::None;
    ASSERT_EQ(sequencerWarnings.size(), 2u);
    EXPECT_TRUE(sequencerWarnings[0].contains(QLatin1String("clock unplugged")));
    EXPECT_TRUE(sequencerWarnings[1].contains(QLatin1String("int")));
    // The session survives the failure.
    EXPECT_EQ(answer(seq, "close Tavorin"), SequencerError::None);
}

}  // namespace
}  // namespace vesk::sequencer::test
