#include <gtest/gtest.h>

#include "sequencer/backend_rig.h"
#include "sequencer/loop_plan.h"
#include "sequencer/smf_reader.h"

namespace vesk::sequencer::test {
namespace {

Song readSong(const std::vector<Track>& tracks) {
    const ByteVector bytes = vesk::test::smf(1, 100, tracks);
    Song song;
    EXPECT_EQ(readSmf(bytes, song), SequencerError::None);
    return song;
}

// A track at 100 ticks per quarter and 120 per minute (a tick is 5 ms): an intro note, the
// looped part from tick 200 to 400 (1 s) with two notes, and an outro note after it.
Track markedSong(const QByteArray& start = "loopStart", const QByteArray& end = "loopEnd") {
    Track t;
    t.at(0, {0xC0, 5}).at(0, {0x90, 60, 100}).at(20, {0x80, 60, 0});
    t.meta(180, 0x06, start);
    t.at(0, {0x90, 72, 100}).at(20, {0x80, 72, 0});
    t.at(80, {0x90, 67, 100}).at(20, {0x80, 67, 0});
    t.meta(80, 0x06, end);
    t.at(0, {0x90, 48, 100}).at(20, {0x80, 48, 0}).end(80);
    return t;
}

TEST(LoopPoints, MarkersAndControllerFormsAreFound) {
    struct Case {
        const char* what;
        Track track;
        std::optional<LoopPoints> expected;
    };
    Track controller;  // on channel 6, looping to the end
    controller.at(0, {0x90, 60, 100}).at(150, {0xB5, 111, 0}).at(250, {0x80, 60, 0}).end();
    Track endOnly;  // a loop end alone loops from the beginning
    endOnly.at(0, {0x90, 60, 100}).meta(300, 0x06, "loopEnd").at(0, {0x80, 60, 0}).end(50);
    Track startOnly;  // a loop start alone loops to the end
    startOnly.at(0, {0x90, 60, 100}).meta(100, 0x06, "LoopStart").at(200, {0x80, 60, 0});
    startOnly.end();
    Track both;  // markers win over controller 111
    both.at(0, {0xB0, 111, 0}).meta(100, 0x06, "loopstart").meta(200, 0x06, "LOOPEND");
    both.end(100);
    Track brackets;  // not a loop mark here
    brackets.meta(100, 0x06, "[").meta(200, 0x06, "]").end(100);
    Track tooShort;  // 30 ms of loop is a damaged mark
    tooShort.meta(100, 0x06, "loopStart").meta(6, 0x06, "loopEnd").end(100);
    Track backwards;  // an end before any start: the end alone counts
    backwards.meta(100, 0x06, "loopEnd").meta(100, 0x06, "loopStart").end(100);
    Track plain;
    plain.at(0, {0x90, 60, 100}).at(100, {0x80, 60, 0}).end();

    const std::vector<Case> cases = {
        {"markers", markedSong(), LoopPoints{200, 400}},
        {"padded", markedSong("LOOPSTART ", QByteArray("loopend\0", 8)), LoopPoints{200, 400}},
        {"controller", controller, LoopPoints{150, 400}},
        {"end only", endOnly, LoopPoints{0, 300}},
        {"start only", startOnly, LoopPoints{100, 300}},
        {"both", both, LoopPoints{100, 300}},
        {"brackets", brackets, std::nullopt},
        {"too short", tooShort, std::nullopt},
        {"backwards", backwards, LoopPoints{0, 100}},
        {"plain", plain, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<LoopPoints> got = findLoopPoints(readSong({c.track}));
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.what;
        if (got) {
            EXPECT_EQ(got->startTick, c.expected->startTick) << c.what;
            EXPECT_EQ(got->endTick, c.expected->endTick) << c.what;
        }
    }
}

class LoopedSong : public BackendRig {
  protected:
    void open(const std::vector<Track>& tracks) {
        BackendRig::open(vesk::test::smf(1, 100, tracks));
    }
    // Plays to `millis` in 10 ms steps, as a playback thread would.
    void playTo(std::int64_t millis) {
        for (std::int64_t t = clock.now().count() / 1'000'000; t <= millis; t += 10) {
            at(t);
        }
    }
    std::vector<RecordedMessage> sent(int status, int data1) const {
        std::vector<RecordedMessage> out;
        for (const RecordedMessage& m : output.messages()) {
            if (m.bytes.size() == 3 && m.bytes[0] == status && m.bytes[1] == data1 &&
                (status >> 4 != 9 || m.bytes[2] > 0)) {
                out.push_back(m);
            }
        }
        return out;
    }
    std::vector<std::int64_t> noteOnTimes(int key) const {
        std::vector<std::int64_t> out;
        for (const RecordedMessage& m : sent(0x90, key)) {
            out.push_back(m.due.count() / 1'000'000);
        }
        return out;
    }
};

TEST_F(LoopedSong, PlaysTheLoopNTimesThenFadesAndStopsAtThePlayedLength) {
    open({markedSong()});
    run("set Tavorin loops 2");
    EXPECT_EQ(status("length"), "8000");
    clock.set(ms(0));
    run("play Tavorin");
    playTo(2500);
    EXPECT_EQ(status("position"), "2500");      // played time runs on across the jump
    EXPECT_EQ(status("songposition"), "1500");  // what the lyrics follow: back in the loop
    playTo(8200);
    EXPECT_EQ(status("mode"), "stopped");
    EXPECT_EQ(status("position"), "8000");

    EXPECT_EQ(noteOnTimes(60), std::vector<std::int64_t>{0});
    // Two passes, then the looped part again while it fades, until 8 s.
    EXPECT_EQ(noteOnTimes(72),
              (std::vector<std::int64_t>{1000, 2000, 3000, 4000, 5000, 6000, 7000}));
    EXPECT_EQ(noteOnTimes(67),
              (std::vector<std::int64_t>{1500, 2500, 3500, 4500, 5500, 6500, 7500}));
    EXPECT_TRUE(noteOnTimes(48).empty());  // the part after the loop end is never reached

    // The fade: volume steps from the fade start on, never rising, reaching 0 at the end,
    // then the song's own volume comes back for whatever plays next.
    const std::vector<RecordedMessage> volumes = sent(0xB0, 7);
    ASSERT_GE(volumes.size(), 90u);
    EXPECT_GE(volumes.front().due, ms(3000));
    for (std::size_t i = 1; i + 1 < volumes.size(); ++i) {
        EXPECT_LE(volumes[i].bytes[2], volumes[i - 1].bytes[2]) << i;
        EXPECT_GE(volumes[i].due, volumes[i - 1].due) << i;
    }
    EXPECT_EQ(volumes[volumes.size() - 2].bytes[2], 0);
    EXPECT_EQ(volumes[volumes.size() - 2].due, ms(8000));
    EXPECT_EQ(volumes.back().bytes[2], 100);
    const auto middle = std::find_if(volumes.begin(), volumes.end(),
                                     [](const RecordedMessage& m) { return m.due >= ms(5500); });
    ASSERT_NE(middle, volumes.end());
    EXPECT_NEAR(middle->bytes[2], 50, 1);
}

TEST_F(LoopedSong, TheJumpEndsSoundingNotesAndRestoresTheStateAtTheLoopStart) {
    Track t;
    // A GS reset, program 10 and pan 30 before the loop; inside it a new program, pan and
    // bend, and a note held across the loop end.
    t.at(0, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
    t.at(0, {0xC1, 10}).at(0, {0xB1, 10, 30}).at(0, {0xB1, 7, 90});
    t.at(200, {0xB1, 111, 0}).at(0, {0x91, 64, 100});
    t.at(50, {0xC1, 40}).at(0, {0xB1, 10, 100}).at(0, {0xE1, 0, 80});
    t.at(0, {0x91, 70, 100}).at(150, {0x91, 64, 100});  // struck again at the very end
    t.end();
    open({t});
    run("set Tavorin loops 1");
    clock.set(ms(0));
    run("play Tavorin");
    playTo(2100);

    // At the seam (2 s): the held note ends before anything of the next pass, no key is
    // struck twice, and program, pan and bend are those of the loop start.
    std::vector<RecordedMessage> seam;
    for (const RecordedMessage& m : output.messages()) {
        if (m.due == ms(2000)) {
            seam.push_back(m);
        }
    }
    ASSERT_FALSE(seam.empty());
    auto index = [&](std::initializer_list<int> bytes) {
        const std::vector<std::uint8_t> want(bytes.begin(), bytes.end());
        const auto it = std::find_if(seam.begin(), seam.end(),
                                     [&](const RecordedMessage& m) { return m.bytes == want; });
        return it == seam.end() ? -1 : static_cast<int>(it - seam.begin());
    };
    const int offs = std::max(index({0x81, 70, 0}), index({0x81, 64, 0}));
    const int strike = index({0x91, 64, 100});
    EXPECT_GE(offs, 0);
    EXPECT_GT(strike, offs);
    EXPECT_GT(index({0xC1, 10}), offs);
    EXPECT_GT(index({0xB1, 10, 30}), offs);
    EXPECT_LT(index({0xC1, 10}), strike);
    EXPECT_LT(index({0xB1, 10, 30}), strike);
    EXPECT_EQ(index({0xC1, 40}), -1);
    EXPECT_EQ(index({0xE1, 0, 80}), -1);  // the bend is reset, not replayed
    EXPECT_EQ(std::count_if(seam.begin(), seam.end(),
                            [](const RecordedMessage& m) {
                                return m.bytes.size() == 3 && m.bytes[0] == 0x91 && m.bytes[2] > 0;
                            }),
              1);
    // The reset before the loop is not sent again: the looped part holds no System
    // Exclusive message.
    const auto messages = output.messages();
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [](const RecordedMessage& m) { return m.bytes.at(0) == 0xF0; }),
              1);
}

TEST_F(LoopedSong, SeeksCountPlayedTimeAndASongWithoutMarksPlaysAsWritten) {
    open({markedSong()});
    run("set Tavorin loops 3");
    EXPECT_EQ(status("length"), "9000");
    clock.set(ms(0));
    run("seek Tavorin to 3250");  // the third pass, a quarter second in
    run("play Tavorin");
    EXPECT_EQ(status("position"), "3250");
    playTo(850);  // clock time: played 4100
    EXPECT_EQ(noteOnTimes(67), std::vector<std::int64_t>{250});
    EXPECT_EQ(noteOnTimes(72), std::vector<std::int64_t>{750});
    EXPECT_EQ(status("position"), "4100");
    // Looping switched off while playing: the song goes on to its end as written.
    run("set Tavorin loops 0");
    EXPECT_EQ(status("length"), "2500");
    run("close Tavorin");

    Track plain;
    plain.at(0, {0x90, 60, 100}).at(100, {0x80, 60, 0}).at(0, {0xB0, 7, 80}).end(100);
    std::vector<std::vector<RecordedMessage>> runs;
    for (const char* loops : {"0", "2"}) {
        output.clear();
        open({plain});
        run(std::string("set Tavorin loops ") + loops);
        EXPECT_EQ(status("length"), "1000");
        clock.set(ms(0));
        run("play Tavorin");
        playTo(1100);
        EXPECT_EQ(status("mode"), "stopped");
        runs.push_back(output.messages());
        run("close Tavorin");
    }
    ASSERT_EQ(runs[0].size(), runs[1].size());
    for (std::size_t i = 0; i < runs[0].size(); ++i) {
        EXPECT_EQ(runs[0][i].bytes, runs[1][i].bytes) << i;
        EXPECT_EQ(runs[0][i].due, runs[1][i].due) << i;
    }
    open({plain});
    EXPECT_EQ(send("set Tavorin loops 100"), SequencerError::BadNumber);
    EXPECT_EQ(send("set Tavorin loops -1"), SequencerError::BadNumber);
    EXPECT_EQ(status("loops"), "0");
}

}  // namespace
}  // namespace vesk::sequencer::test
