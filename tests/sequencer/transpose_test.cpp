#include <gtest/gtest.h>

#include "sequencer/backend_rig.h"

namespace vesk::sequencer::test {
namespace {

// 100 ticks per quarter at 120 per minute: a tick is 5 ms.
class Transpose : public BackendRig {
  protected:
    void openTrack(const Track& t) { open(vesk::test::smf(1, 100, {t})); }
    std::vector<std::pair<int, int>> notesOn() const {
        std::vector<std::pair<int, int>> out;
        for (const RecordedMessage& m : noteOns(output.messages())) {
            out.emplace_back(m.bytes[0] & 0x0F, m.bytes[1]);
        }
        return out;
    }
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
    openTrack(t);
    run("set Tavorin transpose -5");
    clock.set(ms(0));
    run("play Tavorin");
    at(690);  // the last note-off; the end at 700 ms would silence all
    EXPECT_EQ(notesOn(), (std::vector<std::pair<int, int>>{
                             {0, 55}, {9, 60}, {1, 55}, {2, 60}, {3, 60}, {2, 55}}));
    EXPECT_TRUE(sounding(output.messages()).empty());
}

TEST_F(Transpose, ChangesWhileNotesSoundLeaveNoNoteHanging) {
    Track t;
    // Long overlapping notes, the same key struck again while it sounds, and a key that
    // leaves the range when moved up.
    t.at(0, {0x90, 60, 100}).at(0, {0x90, 120, 100});
    t.at(100, {0x90, 64, 100}).at(100, {0x90, 60, 100});
    t.at(100, {0x80, 60, 0}).at(0, {0x80, 64, 0}).at(100, {0x80, 60, 0}).at(0, {0x80, 120, 0});
    t.end(10);
    openTrack(t);
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
    EXPECT_TRUE(sounding(output.messages()).empty());
    // 76 was struck after the change to +12; 60 again after its earlier +3 note was released.
    EXPECT_EQ(noteOnKeys(), (std::vector<int>{63, 123, 76, 48}));
}

TEST_F(Transpose, DroppedOutOfRangeNotesSendNeitherOnNorOff) {
    Track t;
    t.at(0, {0x90, 125, 100}).at(0, {0x90, 2, 100}).at(100, {0x80, 125, 0}).at(0, {0x80, 2, 0});
    t.end(10);
    openTrack(t);
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
    EXPECT_EQ(noteOnKeys(), std::vector<int>{6});
    EXPECT_TRUE(sounding(output.messages()).empty());
}

TEST_F(Transpose, ASeekChasesTheDrumPartsBeforeThePosition) {
    Track t;
    t.at(0, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x11, 0x15, 0x02, 0x18, 0xF7});
    t.at(200, {0x90, 40, 100}).at(0, {0x91, 40, 100}).at(10, {0x80, 40, 0}).at(0, {0x81, 40, 0});
    t.end(10);
    openTrack(t);
    run("set Tavorin transpose 7");
    clock.set(ms(0));
    run("play Tavorin from 500");
    at(5000);
    EXPECT_EQ(notesOn(), (std::vector<std::pair<int, int>>{{0, 40}, {1, 47}}));
}

TEST_F(Transpose, RefusesShiftsBeyondAnOctave) {
    openTrack(Track().end(10));
    for (const char* bad : {"13", "-13", "x", ""}) {
        EXPECT_NE(send(std::string("set Tavorin transpose ") + bad), SequencerError::None) << bad;
    }
    run("set Tavorin transpose -12");
    EXPECT_EQ(status("transpose"), "-12");
}

}  // namespace
}  // namespace vesk::sequencer::test
