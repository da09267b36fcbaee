#include <gtest/gtest.h>

#include <map>
#include <set>

#include "sequencer/sequencer_backend.h"
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

struct Note {
    int channel;
    int key;
    bool operator<(const Note& o) const {
        return channel != o.channel ? channel < o.channel : key < o.key;
    }
};

// 100 ticks per quarter at 120 per minute: a tick is 5 ms.
class Transpose : public ::testing::Test {
  protected:
    void open(const std::vector<Track>& tracks) {
        const QString path =
            dir.write(QStringLiteral("song.mid"), test::toQByteArray(test::smf(1, 100, tracks)));
        ASSERT_EQ(send("open \"" + path.toStdString() + "\" alias Tavorin"), SequencerError::None);
    }
    SequencerError send(const std::string& command) {
        return SequencerError{seq.sendString(command, nullptr, 0)};
    }
    void run(const std::string& command) {
        EXPECT_EQ(send(command), SequencerError::None) << command;
    }
    void at(std::int64_t millis) {
        clock.set(ms(millis));
        seq.pump(clock.now());
    }
    std::vector<Note> noteOns() const {
        std::vector<Note> out;
        for (const RecordedMessage& m : output.messages()) {
            if (m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0) {
                out.push_back({m.bytes[0] & 0x0F, m.bytes[1]});
            }
        }
        return out;
    }
    // The notes still sounding once everything sent has been applied.
    std::map<Note, int> sounding() const {
        std::map<Note, int> on;
        for (const RecordedMessage& m : output.messages()) {
            if (m.bytes.size() != 3 || (m.bytes[0] & 0xE0) != 0x80) {
                continue;
            }
            const Note n{m.bytes[0] & 0x0F, m.bytes[1]};
            if ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0) {
                ++on[n];
            } else if (on.contains(n) && --on[n] == 0) {
                on.erase(n);
            }
        }
        return on;
    }

    platform::VirtualClock clock;
    platform::RecordingMidiOutputService output{1};
    SequencerBackend seq{output, clock, SequencerBackend::Drive::Manual};
    test::TempDir dir;
};

TEST_F(Transpose, MovesMelodicNotesAndLeavesEveryDrumPartAlone) {
    Track t;
    // Channel 2 becomes a GS drum part, channel 3 an XG drum kit, channel 4 stays melodic.
    t.at(0, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x13, 0x15, 0x01, 0x17, 0xF7});
    t.at(0, {0xB3, 0, 127});
    for (int ch : {0, 9, 1, 2, 3}) {
        t.at(10, {0x90 | ch, 60, 100}).at(10, {0x80 | ch, 60, 0});
    }
    // After a GS reset the GS drum part is melodic again.
    t.at(10, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
    t.at(10, {0x92, 60, 100}).at(10, {0x82, 60, 0}).end(10);
    open({t});
    run("set Tavorin transpose -5");
    clock.set(ms(0));
    run("play Tavorin");
    at(690);  // the last note-off; the end at 700 ms would silence all
    const std::vector<Note> expected = {{0, 55}, {9, 60}, {1, 55}, {2, 60}, {3, 60}, {2, 55}};
    const std::vector<Note> got = noteOns();
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].channel, expected[i].channel) << i;
        EXPECT_EQ(got[i].key, expected[i].key) << i;
    }
    EXPECT_TRUE(sounding().empty());
}

TEST_F(Transpose, ChangesWhileNotesSoundLeaveNoNoteHanging) {
    Track t;
    // Long overlapping notes, the same key struck again while it sounds, and a key that
    // leaves the range when moved up.
    t.at(0, {0x90, 60, 100}).at(0, {0x90, 120, 100});
    t.at(100, {0x90, 64, 100}).at(100, {0x90, 60, 100});
    t.at(100, {0x80, 60, 0}).at(0, {0x80, 64, 0}).at(100, {0x80, 60, 0}).at(0, {0x80, 120, 0});
    t.end(10);
    open({t});
    clock.set(ms(0));
    run("set Tavorin transpose 3");
    run("play Tavorin");
    at(0);
    at(250);
    run("set Tavorin transpose 12");
    at(750);
    run("set Tavorin transpose -12");
    // The last note-off is at 2000 ms; the song's end (2050 ms) would silence everything.
    at(2020);
    EXPECT_TRUE(sounding().empty());
    const std::vector<Note> ons = noteOns();
    ASSERT_EQ(ons.size(), 4u);
    EXPECT_EQ(ons[0].key, 63);
    EXPECT_EQ(ons[1].key, 123);
    EXPECT_EQ(ons[2].key, 76);  // struck after the change to +12
    EXPECT_EQ(ons[3].key, 48);  // 60 again: its earlier +3 note was released first
}

TEST_F(Transpose, DroppedOutOfRangeNotesSendNeitherOnNorOff) {
    Track t;
    t.at(0, {0x90, 125, 100}).at(0, {0x90, 2, 100}).at(100, {0x80, 125, 0}).at(0, {0x80, 2, 0});
    t.end(10);
    open({t});
    run("set Tavorin transpose 4");
    clock.set(ms(0));
    run("play Tavorin");
    at(0);
    run("set Tavorin transpose -4");
    at(520);  // after the note-offs, before the end silences all
    for (const RecordedMessage& m : output.messages()) {
        if (m.bytes.size() == 3 && (m.bytes[0] & 0xE0) == 0x80) {
            EXPECT_EQ(m.bytes[1], 6);
        }
    }
    ASSERT_EQ(noteOns().size(), 1u);
    EXPECT_EQ(noteOns()[0].key, 6);
    EXPECT_TRUE(sounding().empty());
}

TEST_F(Transpose, ASeekChasesTheDrumPartsBeforeThePosition) {
    Track t;
    t.at(0, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x11, 0x15, 0x02, 0x18, 0xF7});
    t.at(200, {0x90, 40, 100}).at(0, {0x91, 40, 100}).at(10, {0x80, 40, 0}).at(0, {0x81, 40, 0});
    t.end(10);
    open({t});
    run("set Tavorin transpose 7");
    clock.set(ms(0));
    run("play Tavorin from 500");
    at(5000);
    const std::set<std::pair<int, int>> got = [&] {
        std::set<std::pair<int, int>> s;
        for (const Note& n : noteOns()) {
            s.insert({n.channel, n.key});
        }
        return s;
    }();
    EXPECT_EQ(got, (std::set<std::pair<int, int>>{{0, 40}, {1, 47}}));
}

TEST_F(Transpose, RefusesShiftsBeyondAnOctave) {
    Track t;
    t.end(10);
    open({t});
    for (const char* bad : {"13", "-13", "x", ""}) {
        EXPECT_NE(send(std::string("set Tavorin transpose ") + bad), SequencerError::None) << bad;
    }
    char reply[16] = {};
    run("set Tavorin transpose -12");
    ASSERT_EQ(SequencerError{seq.sendString("status Tavorin transpose", reply, sizeof reply)},
              SequencerError::None);
    EXPECT_STREQ(reply, "-12");
}

}  // namespace
}  // namespace vesk::sequencer
