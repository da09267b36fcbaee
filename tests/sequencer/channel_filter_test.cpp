// Mute and solo in the sequencer's output, on the real back end with a recording device.
#include <gtest/gtest.h>

#include "sequencer/backend_rig.h"

namespace vesk::sequencer::test {
namespace {

// 100 ticks per quarter at 120 per minute: a tick is 5 ms. Channels 1..4 (0..3 here) each
// set a program, a volume and a bend, then strike a note every 100 ms for two seconds.
ByteVector fourChannels() {
    std::vector<Track> tracks;
    for (int ch = 0; ch < 4; ++ch) {
        Track t;
        t.at(0, {0xC0 | ch, 10 + ch}).at(0, {0xB0 | ch, 7, 90 + ch}).at(0, {0xE0 | ch, 0, 70});
        for (int i = 0; i < 20; ++i) {
            t.at(i == 0 ? 0 : 10, {0x90 | ch, 60 + ch, 100}).at(10, {0x80 | ch, 60 + ch, 0});
        }
        t.end(10);
        tracks.push_back(t);
    }
    return vesk::test::smf(1, 100, tracks);
}

class ChannelFilterTest : public BackendRig {
  protected:
    void SetUp() override {
        open(fourChannels());
        clock.set(ms(0));
        run("play Tavorin");
    }
    // Messages of `channel` sent since message `from`.
    std::vector<ByteVector> sentOn(int channel, std::size_t from) const {
        std::vector<ByteVector> out;
        const auto all = output.messages();
        for (std::size_t i = from; i < all.size(); ++i) {
            const auto& b = all[i].bytes;
            if (!b.empty() && b[0] < 0xF0 && (b[0] & 0x0F) == channel) {
                out.push_back(b);
            }
        }
        return out;
    }
    int noteOnsOf(int channel, std::size_t from) const {
        int n = 0;
        for (const auto& b : sentOn(channel, from)) {
            n += (b[0] & 0xF0) == 0x90 && b[2] > 0 ? 1 : 0;
        }
        return n;
    }
    bool sounds(int channel) const {
        const auto on = sounding(output.messages());
        return std::any_of(on.begin(), on.end(), [&](const auto& k) { return k.first == channel; });
    }
    std::size_t mark() const { return output.messages().size(); }
};

TEST_F(ChannelFilterTest, MuteSilencesAtOnceAndUnmuteBringsTheChannelBack) {
    at(20);  // every channel's first note sounds
    const std::size_t muteAt = mark();
    run("set Tavorin channels 2 0");  // channel 2 (index 1)
    const auto released = sentOn(1, muteAt);
    ASSERT_FALSE(released.empty());
    EXPECT_EQ(released.front(), (ByteVector{0x81, 61, 0}));
    EXPECT_FALSE(sounds(1));

    const std::size_t muted = mark();
    at(1010);
    EXPECT_TRUE(sentOn(1, muted).empty()) << "a muted channel sends nothing";
    EXPECT_EQ(noteOnsOf(0, muted), 10);

    // Unmuting mid-song sets the channel as the song has it, before any new note.
    const std::size_t unmuteAt = mark();
    run("set Tavorin channels 0 0");
    const auto restored = sentOn(1, unmuteAt);
    const auto has = [&](const ByteVector& m) {
        return std::find(restored.begin(), restored.end(), m) != restored.end();
    };
    EXPECT_TRUE(has({0xC1, 11}));
    EXPECT_TRUE(has({0xB1, 7, 91}));
    EXPECT_TRUE(has({0xE1, 0, 70}));
    EXPECT_EQ(noteOnsOf(1, unmuteAt), 0);
    at(1990);
    EXPECT_EQ(noteOnsOf(1, unmuteAt), 9);  // 1100 ms to 1900 ms
    EXPECT_TRUE(sounding(output.messages()).empty());
}

TEST_F(ChannelFilterTest, SoloOfTwoChannelsHoldsBackTheRestAndMuteWinsOverSolo) {
    at(20);
    run("set Tavorin channels 0 5");  // solo channels 1 and 3 (indexes 0 and 2)
    EXPECT_FALSE(sounds(1) || sounds(3)) << "the others fall silent at once";
    std::size_t from = mark();
    at(500);
    EXPECT_EQ(noteOnsOf(0, from), 5);
    EXPECT_EQ(noteOnsOf(2, from), 5);
    EXPECT_EQ(noteOnsOf(1, from) + noteOnsOf(3, from), 0);

    run("set Tavorin channels 1 5");  // channel 1 soloed and muted: only channel 3 left
    from = mark();
    at(1000);
    EXPECT_EQ(noteOnsOf(0, from), 0);
    EXPECT_EQ(noteOnsOf(2, from), 5);

    run("set Tavorin channels 0 0");
    from = mark();
    at(1500);
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(noteOnsOf(ch, from), 5) << ch;
    }
}

TEST_F(ChannelFilterTest, NoNoteHangsAcrossMutesPausesAndSeeks) {
    at(5);
    run("set Tavorin channels 1 0");
    at(305);
    run("pause Tavorin");
    run("set Tavorin channels 0 0");
    run("play Tavorin");
    at(415);
    run("set Tavorin channels 8 2");
    run("seek Tavorin to 1205");
    const std::size_t seekAt = mark();
    run("play Tavorin");
    EXPECT_TRUE(sentOn(3, seekAt).empty()) << "the chase after a seek skips a muted channel";
    at(1305);
    run("set Tavorin channels 0 0");
    at(1560);  // between notes: nothing may sound
    EXPECT_TRUE(sounding(output.messages()).empty());
}

TEST_F(ChannelFilterTest, RefusesChannelSetsThatAreNoNumbers) {
    EXPECT_EQ(send("set Tavorin channels -1 0"), SequencerError::BadNumber);
    EXPECT_EQ(send("set Tavorin channels 0 4294967296"), SequencerError::BadNumber);
    EXPECT_EQ(send("set Tavorin channels x 0"), SequencerError::BadNumber);
    EXPECT_EQ(send("set Tavorin channels 1"), SequencerError::BadSyntax);
}

}  // namespace
}  // namespace vesk::sequencer::test
