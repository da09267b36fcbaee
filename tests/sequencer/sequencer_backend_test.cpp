#include "sequencer/sequencer_backend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>

#include "sequencer/sequencer_errors.h"
#include "sequencer/smf_builder.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk::sequencer {
namespace {

using platform::Nanos;
using platform::RecordedMessage;
using test::ByteVector;
using test::Track;

constexpr Nanos ms(std::int64_t v) {
    return Nanos{v * 1'000'000};
}

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
    return test::smf(0, 100, {t});
}

using Keys = std::set<std::pair<int, int>>;

// Channel and key of every note still sounding after `messages`.
Keys sounding(const std::vector<RecordedMessage>& messages) {
    Keys on;
    for (const RecordedMessage& m : messages) {
        if (m.bytes.size() < 3) {
            continue;
        }
        const int kind = m.bytes[0] & 0xF0;
        const int ch = m.bytes[0] & 0x0F;
        if (kind == 0x90 && m.bytes[2] > 0) {
            on.insert({ch, m.bytes[1]});
        } else if (kind == 0x80 || kind == 0x90) {
            on.erase({ch, m.bytes[1]});
        } else if (kind == 0xB0 && m.bytes[1] == 123) {
            std::erase_if(on, [ch](const auto& k) { return k.first == ch; });
        }
    }
    return on;
}

std::vector<RecordedMessage> noteOns(const std::vector<RecordedMessage>& messages) {
    std::vector<RecordedMessage> out;
    for (const RecordedMessage& m : messages) {
        if (m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0) {
            out.push_back(m);
        }
    }
    return out;
}

// The back end's answer as the error its number stands for.
SequencerError answer(SequencerBackend& seq, const std::string& command, char* reply = nullptr,
                      int replyLength = 0) {
    return SequencerError{seq.sendString(command, reply, replyLength)};
}

bool hasMessage(const std::vector<RecordedMessage>& messages, const ByteVector& bytes, Nanos due) {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const RecordedMessage& m) { return m.bytes == bytes && m.due == due; });
}

class Backend : public ::testing::Test {
  protected:
    std::string file(const ByteVector& bytes, const QString& name = QStringLiteral("song.mid")) {
        return dir.write(name, test::toQByteArray(bytes)).toStdString();
    }
    std::string sharedFile(const char* name) {
        return std::string(VESK_TEST_DATA "/midi-test-files/") + name;
    }
    SequencerError send(const std::string& command) { return answer(seq, command); }
    // A step of a scenario, which must succeed.
    void run(const std::string& command) {
        EXPECT_EQ(send(command), SequencerError::None) << command;
    }
    void open(const ByteVector& bytes, const std::string& alias = "Tavorin") {
        ASSERT_EQ(send("open \"" + file(bytes) + "\" alias " + alias), SequencerError::None);
    }
    std::string status(const std::string& item, const std::string& alias = "Tavorin") {
        char reply[64] = "junk";
        EXPECT_EQ(answer(seq, "status " + alias + " " + item, reply, sizeof reply),
                  SequencerError::None);
        return reply;
    }
    std::int64_t position() { return std::stoll(status("position")); }
    // Moves the clock and lets the sequencer send what fell due.
    void at(std::int64_t millis) {
        clock.set(ms(millis));
        seq.pump(clock.now());
    }

    platform::VirtualClock clock;
    platform::RecordingMidiOutputService output{2};
    SequencerBackend seq{output, clock, SequencerBackend::Drive::Manual};
    test::TempDir dir;
};

TEST_F(Backend, CommandsAnswerWithDistinctCodes) {
    EXPECT_EQ(send(""), SequencerError::UnknownCommand);
    EXPECT_EQ(send("fly Tavorin"), SequencerError::UnknownCommand);
    EXPECT_EQ(send("status Nobody mode"), SequencerError::UnknownAlias);
    EXPECT_EQ(send("open \"" + dir.file("none.mid").toStdString() + "\" alias Tavorin"),
              SequencerError::FileNotFound);
    EXPECT_EQ(send("open \"" + dir.path().toStdString() + "\" alias Tavorin"),
              SequencerError::FileNotFound);
    EXPECT_EQ(send("open \"" + sharedFile("not-a-midi-file.mid") + "\" alias Tavorin"),
              SequencerError::NotMidiFile);
    EXPECT_EQ(send("open \"" + file(test::smfHeader(0, 1, 96)) + "\" alias Tavorin"),
              SequencerError::NoTracks);
    EXPECT_EQ(send("open \"" + file(scaleSong()) + "\""), SequencerError::BadSyntax);
    EXPECT_EQ(send("open \"unterminated alias Tavorin"), SequencerError::BadSyntax);

    open(scaleSong());
    EXPECT_EQ(send("open \"" + file(scaleSong()) + "\" alias TAVORIN"), SequencerError::AliasInUse);
    EXPECT_EQ(send("play Tavorin from abc"), SequencerError::BadNumber);
    EXPECT_EQ(send("play Tavorin from -5"), SequencerError::BadNumber);
    EXPECT_EQ(send("play Tavorin from 99999999999999999999"), SequencerError::BadNumber);
    EXPECT_EQ(send("set Tavorin Tempo 0"), SequencerError::BadNumber);
    EXPECT_EQ(send("set Tavorin port -2"), SequencerError::BadNumber);
    EXPECT_EQ(send("seek Tavorin to"), SequencerError::BadSyntax);
    EXPECT_EQ(send("seek Tavorin to x"), SequencerError::BadNumber);
    EXPECT_EQ(send("status Tavorin volume"), SequencerError::BadSyntax);
    EXPECT_EQ(send("pause Tavorin now"), SequencerError::BadSyntax);
    EXPECT_EQ(send("set Tavorin time format frames"), SequencerError::Unsupported);
    EXPECT_EQ(send("set Tavorin time format milliseconds"), SequencerError::None);
    EXPECT_EQ(output.openCount(), 0);

    // Keywords and aliases in any case; replies cut to the buffer, NUL-terminated.
    EXPECT_EQ(status("MODE", "tAVORIN"), "stopped");
    char small[4] = "xxx";
    EXPECT_EQ(answer(seq, "status Tavorin mode", small, 4), SequencerError::None);
    EXPECT_STREQ(small, "sto");
    char failed[8] = "xxx";
    EXPECT_EQ(answer(seq, "status Other mode", failed, 8), SequencerError::UnknownAlias);
    EXPECT_STREQ(failed, "");
    EXPECT_EQ(send("status Tavorin mode"), SequencerError::None);  // no buffer at all

    EXPECT_EQ(send("close Tavorin"), SequencerError::None);
    EXPECT_EQ(send("close Tavorin"), SequencerError::UnknownAlias);
    open(scaleSong(), "A");
    open(scaleSong(), "B");
    EXPECT_EQ(send("close all"), SequencerError::None);
    EXPECT_EQ(send("status A mode"), SequencerError::UnknownAlias);
}

TEST_F(Backend, DataOnlyMeasuresTheLengthWithoutOpeningADevice) {
    open(scaleSong());
    open(scaleSong(), "DataOnly");
    EXPECT_EQ(send("set DataOnly time format milliseconds"), SequencerError::None);
    EXPECT_EQ(status("length", "DataOnly"), "4000");
    EXPECT_EQ(send("close DataOnly"), SequencerError::None);
    EXPECT_EQ(output.openCount(), 0);
    EXPECT_EQ(send("play Tavorin"), SequencerError::None);
    open(scaleSong(), "DataOnly");
    EXPECT_EQ(status("length", "DataOnly"), "4000");
    EXPECT_EQ(send("close DataOnly"), SequencerError::None);
    EXPECT_EQ(status("mode"), "playing");
    EXPECT_EQ(output.openCount(), 1);
}

TEST_F(Backend, PositionLengthAndTempoFollowTheFilesTempoMap) {
    // One second at 120 per minute, then 200 ticks at 240 per minute: 1500 ms.
    Track t;
    t.tempo(0, 500000).at(0, {0x90, 60, 100}).tempo(200, 250000).at(0, {0x80, 60, 0}).end(200);
    open(test::smf(0, 100, {t}));
    EXPECT_EQ(status("length"), "1500");
    EXPECT_EQ(status("tempo"), "120");
    EXPECT_EQ(send("play Tavorin"), SequencerError::None);
    at(500);
    EXPECT_EQ(position(), 500);
    EXPECT_EQ(status("tempo"), "120");
    at(1250);
    EXPECT_EQ(position(), 1250);
    EXPECT_EQ(status("tempo"), "240");
    EXPECT_EQ(status("mode"), "playing");
    at(1500);
    EXPECT_EQ(status("mode"), "stopped");
    EXPECT_EQ(position(), 1500);
    at(3000);
    EXPECT_EQ(position(), 1500);
    EXPECT_FALSE(seq.nextDeadline().has_value());
    EXPECT_TRUE(hasMessage(output.messages(), {0x80, 60, 0}, ms(1000)));
}

TEST_F(Backend, SongLastsUntilItsEndOfTrackAndReportsStoppedThere) {
    ASSERT_EQ(send("open \"" + sharedFile("track-length.mid") + "\" alias Tavorin"),
              SequencerError::None);
    // The note ends after a quarter (500 ms); End of Track comes a half note later.
    EXPECT_EQ(status("length"), "1500");
    run("play Tavorin");
    at(1000);
    EXPECT_EQ(status("mode"), "playing");
    at(1499);
    EXPECT_EQ(status("mode"), "playing");
    at(1500);
    EXPECT_EQ(status("mode"), "stopped");
    EXPECT_EQ(position(), 1500);
    // Playing again starts from the beginning.
    output.clear();
    EXPECT_EQ(send("play Tavorin"), SequencerError::None);
    EXPECT_EQ(position(), 0);
    at(1600);
    ASSERT_EQ(noteOns(output.messages()).size(), 1u);
    EXPECT_EQ(noteOns(output.messages())[0].due, ms(1500));
}

TEST_F(Backend, PauseKeepsThePositionAndResumeContinuesFromIt) {
    open(scaleSong());
    run("play Tavorin");
    at(1250);
    run("pause Tavorin");
    EXPECT_EQ(status("mode"), "paused");
    EXPECT_EQ(position(), 1250);
    // The note sounding since 1000 ms is released at the pause.
    EXPECT_TRUE(hasMessage(output.messages(), {0x80, 62, 0}, ms(1250)));
    EXPECT_TRUE(sounding(output.messages()).empty());
    EXPECT_FALSE(seq.nextDeadline().has_value());  // nothing to wake up for while paused
    at(5000);
    EXPECT_EQ(position(), 1250);
    run("play Tavorin");
    EXPECT_EQ(status("mode"), "playing");
    at(5250);
    EXPECT_EQ(position(), 1500);
    // The fourth note (1500 ms into the song) comes 250 ms after resuming.
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 63, 100}, ms(5250)));
}

TEST_F(Backend, EngineStopSequenceRewindsToTheStart) {
    open(scaleSong());
    run("play Tavorin");
    at(1200);
    EXPECT_EQ(send("seek Tavorin to start"), SequencerError::None);
    EXPECT_EQ(send("stop Tavorin"), SequencerError::None);
    EXPECT_EQ(status("mode"), "stopped");
    EXPECT_EQ(position(), 0);
    at(2000);
    EXPECT_EQ(position(), 0);
    output.clear();
    run("play Tavorin");
    at(2000);
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 60, 100}, ms(2000)));
    // A plain stop keeps its place.
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
        open(test::smf(0, 100, {t}));
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
        for (int ch : {0, 1}) {
            const auto status = static_cast<std::uint8_t>(0xB0 | ch);
            for (std::uint8_t controller : {64, 123}) {
                const bool sent = std::any_of(messages.begin(), messages.end(), [&](const auto& m) {
                    return m.bytes == ByteVector{status, controller, 0};
                });
                EXPECT_TRUE(sent) << ch << " " << int{controller};
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
    open(test::smf(0, 100, {t}));
    clock.set(ms(300));
    ASSERT_EQ(send("play Tavorin from 1000"), SequencerError::None);
    auto messages = output.messages();
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
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 62, 100}, ms(425)));
    EXPECT_EQ(noteOns(output.messages()).size(), 1u);
}

TEST_F(Backend, SetTempoHoldsUntilTheFilesNextTempoEvent) {
    // 120 per minute until tick 400 (2000 ms), then 60 per minute; ends at 4000 ms.
    Track t;
    t.tempo(0, 500000).at(200, {0x90, 60, 100}).tempo(200, 1000000).at(100, {0x80, 60, 0}).end(100);
    open(test::smf(0, 100, {t}));
    EXPECT_EQ(send("set Tavorin Tempo 240"), SequencerError::None);
    EXPECT_EQ(status("tempo"), "240");
    run("play Tavorin");
    at(250);
    // Song time runs twice as fast as the clock.
    EXPECT_EQ(position(), 500);
    EXPECT_EQ(status("tempo"), "240");
    at(999);
    EXPECT_EQ(position(), 1998);
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 60, 100}, ms(500)));
    // The file's tempo event at 2000 ms song time takes over.
    at(1000);
    EXPECT_EQ(position(), 2000);
    EXPECT_EQ(status("tempo"), "60");
    at(2000);
    EXPECT_EQ(position(), 3000);
    EXPECT_TRUE(hasMessage(output.messages(), {0x80, 60, 0}, ms(2000)));
    EXPECT_EQ(status("length"), "4000");
    at(3000);
    EXPECT_EQ(status("mode"), "stopped");
    EXPECT_EQ(position(), 4000);
}

TEST_F(Backend, SetTempoWhilePlayingAndAcrossPause) {
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
    // The fourth note (1500 ms) came at 2000 ms on the clock.
    EXPECT_TRUE(hasMessage(output.messages(), {0x90, 63, 100}, ms(2000)));
}

TEST_F(Backend, Format2PlaysItsSequencesOneAfterAnother) {
    ASSERT_EQ(send("open \"" + sharedFile("2-tracks-type-2.mid") + "\" alias Tavorin"),
              SequencerError::None);
    // Each sequence lasts 9 quarters at 120 per minute.
    EXPECT_EQ(status("length"), "9000");
    run("play Tavorin");
    at(10000);
    const auto ons = noteOns(output.messages());
    ASSERT_EQ(ons.size(), 16u);
    EXPECT_EQ(ons[7].bytes[0], 0x90);
    EXPECT_EQ(ons[7].due, ms(4000));
    EXPECT_EQ(ons[8].bytes[0], 0x91);
    EXPECT_EQ(ons[8].due, ms(5000));
    EXPECT_TRUE(sounding(output.messages()).empty());
}

TEST_F(Backend, RmidAndSmpteFilesPlayWithTheirOwnTiming) {
    Track t;
    t.at(0, {0x90, 60, 100}).at(1000, {0x80, 60, 0}).end(500);
    const ByteVector smpte = test::smf(0, 0xE728, {t});  // 25 frames of 40 ticks: 1 ms ticks
    // A RIFF header, the RMID form type and the data chunk that holds the file.
    const char head[] = "RIFF\0\0\0\0RMIDdata";
    ByteVector riff(head, head + sizeof head - 1);
    const ByteVector dataSize = {static_cast<std::uint8_t>(smpte.size()), 0, 0, 0};
    riff.insert(riff.end(), dataSize.begin(), dataSize.end());
    riff.insert(riff.end(), smpte.begin(), smpte.end());
    ASSERT_EQ(send("open \"" + file(riff, QStringLiteral("song.rmi")) + "\" alias Tavorin"),
              SequencerError::None);
    EXPECT_EQ(status("length"), "1500");
    run("play Tavorin");
    at(1200);
    EXPECT_TRUE(hasMessage(output.messages(), {0x80, 60, 0}, ms(1000)));
    EXPECT_EQ(position(), 1200);
}

TEST_F(Backend, DamagedFilesStillPlay) {
    for (const char* name : {"corrupt-file-missing-byte.mid", "illegal-message-all.mid",
                             "non-midi-track.mid", "empty.mid"}) {
        SCOPED_TRACE(name);
        output.clear();
        clock.set(ms(0));
        ASSERT_EQ(send("open \"" + sharedFile(name) + "\" alias Tavorin"), SequencerError::None);
        EXPECT_EQ(send("play Tavorin"), SequencerError::None);
        at(60000);
        EXPECT_EQ(status("mode"), "stopped");
        EXPECT_EQ(noteOns(output.messages()).size(), std::string(name) == "empty.mid" ? 0u : 8u);
        run("close Tavorin");
    }
}

TEST_F(Backend, DeviceThatFailsToOpenLeavesASilentButUsableSession) {
    open(scaleSong());
    EXPECT_EQ(send("set Tavorin port 1"), SequencerError::None);
    output.setOpenResult(platform::MidiOutError::Busy);
    EXPECT_EQ(send("play Tavorin"), SequencerError::DeviceOpen);
    EXPECT_EQ(status("mode"), "playing");
    at(500);
    EXPECT_EQ(position(), 500);
    EXPECT_TRUE(output.messages().empty());
    output.setOpenResult(platform::MidiOutError::None);
    run("pause Tavorin");
    EXPECT_EQ(send("play Tavorin"), SequencerError::None);
    at(1100);
    const auto messages = output.messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().device, 1);
    EXPECT_EQ(output.openDevices(), 1);
    run("close Tavorin");
    EXPECT_EQ(output.openDevices(), 0);
}

TEST_F(Backend, ChangingThePortMovesPlaybackToTheNewDevice) {
    open(scaleSong());
    run("set Tavorin port 0");
    run("play Tavorin");
    at(100);
    EXPECT_EQ(send("set Tavorin port 1"), SequencerError::None);
    auto messages = output.messages();
    std::vector<RecordedMessage> old;
    std::vector<RecordedMessage> moved;
    for (const auto& m : messages) {
        (m.device == 0 ? old : moved).push_back(m);
    }
    EXPECT_TRUE(sounding(old).empty());
    // The new device gets the program and volume before anything else.
    ASSERT_GE(moved.size(), 3u);
    EXPECT_EQ(moved[1].bytes, (ByteVector{0xC0, 5}));
    EXPECT_EQ(moved[2].bytes, (ByteVector{0xB0, 7, 100}));
    EXPECT_EQ(status("mode"), "playing");
    EXPECT_EQ(output.openDevices(), 1);
    at(600);
    EXPECT_EQ(output.messages().back().device, 1);
}

TEST(BackendRealTime, PlaysOnItsOwnThreadToTheEnd) {
    platform::SteadyClock clock;
    platform::RecordingMidiOutputService output;
    test::TempDir dir;
    // Ten notes of 10 ms: 100 ms in all.
    Track t;
    t.tempo(0, 500000);
    for (int k = 0; k < 10; ++k) {
        t.at(0, {0x90, 60 + k, 100}).at(2, {0x80, 60 + k, 0});
    }
    t.end();
    const std::string path =
        dir.write("rt.mid", test::toQByteArray(test::smf(0, 100, {t}))).toStdString();
    SequencerBackend seq(output, clock);
    ASSERT_EQ(answer(seq, "open \"" + path + "\" alias Tavorin"), SequencerError::None);
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
}

TEST(BackendRealTime, PausedSessionSendsNothingMore) {
    platform::SteadyClock clock;
    platform::RecordingMidiOutputService output;
    test::TempDir dir;
    Track t;
    for (int k = 0; k < 100; ++k) {
        t.at(0, {0x90, 60, 100}).at(10, {0x80, 60, 0});
    }
    t.end();
    const std::string path =
        dir.write("rt.mid", test::toQByteArray(test::smf(0, 100, {t}))).toStdString();
    SequencerBackend seq(output, clock);
    ASSERT_EQ(answer(seq, "open \"" + path + "\" alias Tavorin"), SequencerError::None);
    ASSERT_EQ(answer(seq, "play Tavorin"), SequencerError::None);
    ASSERT_EQ(answer(seq, "pause Tavorin"), SequencerError::None);
    const std::size_t count = output.messages().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(output.messages().size(), count);
    EXPECT_TRUE(sounding(output.messages()).empty());
    ASSERT_EQ(answer(seq, "close Tavorin"), SequencerError::None);
}

// A clock that fails on demand, with a standard exception or with anything else.
class FailingClock final : public platform::Clock {
  public:
    enum class Failure { None, Standard, Other };
    Nanos now() const override {
        switch (failure.load()) {
            case Failure::Standard:
                throw std::runtime_error("clock unplugged");
            case Failure::Other:
                throw 42;
            case Failure::None:
                break;
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
    test::TempDir dir;
    SequencerBackend seq(output, clock, SequencerBackend::Drive::Manual);
    const std::string path = dir.write("song.mid", test::toQByteArray(scaleSong())).toStdString();
    ASSERT_EQ(answer(seq, "open \"" + path + "\" alias Tavorin"), SequencerError::None);

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
    EXPECT_EQ(answer(seq, "status Tavorin position"), SequencerError::None);
    EXPECT_EQ(answer(seq, "close Tavorin"), SequencerError::None);
}

}  // namespace
}  // namespace vesk::sequencer
