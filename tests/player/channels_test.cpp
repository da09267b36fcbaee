// The player's channel rows and mute and solo, on the real engine and sequencer with the
// output seen through the channel monitor, on a virtual clock.
#include <gtest/gtest.h>

#include "player/monitored_rig.h"

namespace vesk::player::test {
namespace {

using vesk::test::Track;

// 480 ticks a quarter at 120 per minute: 48 ticks are 50 ms. A GS song: channel 1 a music
// box struck at once, channel 2 a piano variation (bank 8) held from 500 to 1500 ms,
// channel 10 the drums.
QByteArray gsSong() {
    Track t;
    t.tempo(0, 500000);
    t.at(0, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
    t.at(0, {0xC0, 10}).at(0, {0xB1, 0, 8}).at(0, {0xC1, 0}).at(0, {0xC9, 0});
    t.at(0, {0x90, 72, 127}).at(0, {0x99, 36, 100});
    t.at(48, {0x89, 36, 0}).at(192, {0x80, 72, 0});
    t.at(240, {0x91, 60, 64}).at(960, {0x81, 60, 0});
    t.end(480);
    return vesk::test::toQByteArray(vesk::test::smf(0, 480, {t}));
}

class ChannelsTest : public ::testing::Test, protected MonitoredPlayerRig {
  protected:
    ChannelsTest() {
        dir.write("songs/gs.mid", gsSong());
        dir.write("songs/plain.mid", songBytes("Plain", 2000));
        addEntry(dir.path() + "/songs", "gs.mid");
        addEntry(dir.path() + "/songs", "plain.mid");
    }
    const ChannelRow* row(int channel) {
        rows = player->channelRows();
        for (const ChannelRow& r : rows) {
            if (r.channel == channel) {
                return &r;
            }
        }
        return nullptr;
    }
    // Note-ons the device was sent on `channel` after message `from`.
    int noteOns(int channel, std::size_t from) const {
        int n = 0;
        const auto all = output.messages();
        for (std::size_t i = from; i < all.size(); ++i) {
            const auto& b = all[i].bytes;
            n += b.size() == 3 && b[0] == (0x90 | channel) && b[2] > 0 ? 1 : 0;
        }
        return n;
    }

    std::vector<ChannelRow> rows;
};

TEST_F(ChannelsTest, RowsNameTheInstrumentsAndMetersFollowTheNotesSent) {
    EXPECT_TRUE(player->channelRows().empty());
    load(0);
    rows = player->channelRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[0].instrument, "Music Box");
    EXPECT_EQ(rows[1].instrument, "Acoustic Grand Piano (バンク 8)");
    EXPECT_EQ(rows[2].number, "10");
    EXPECT_EQ(rows[2].instrument, "Standard Kit");

    EXPECT_DOUBLE_EQ(row(0)->level, 1.0);
    EXPECT_DOUBLE_EQ(row(1)->level, 0.0);
    at(300);  // the music box ended at 250 ms and falls
    EXPECT_NEAR(row(0)->level, 0.5, 0.01);
    at(700);
    EXPECT_DOUBLE_EQ(row(0)->level, 0.0);
    const double struck = 64 / 127.0;
    EXPECT_NEAR(row(1)->level, struck * (1 - 200.0 / 600), 0.01);
    at(1400);  // the piano is still held: its meter rests at the held share
    EXPECT_NEAR(row(1)->level, struck * kMeterHeldShare, 0.01);
    at(1600);
    EXPECT_DOUBLE_EQ(row(1)->level, 0.0);
}

TEST_F(ChannelsTest, MuteAndSoloBelongToTheSongInHand) {
    load(0);
    at(100);
    player->toggleChannelMute(0);
    player->toggleChannelSolo(1);
    EXPECT_FALSE(row(0)->audible);
    EXPECT_TRUE(row(1)->audible);
    EXPECT_FALSE(row(9)->audible);
    std::size_t from = output.messages().size();
    at(600);
    EXPECT_EQ(noteOns(1, from), 1);

    // The same song played again in a session opened afresh keeps them.
    player->closeSession();
    from = output.messages().size();
    player->transportPlay();
    start = clock.now();
    at(600);
    EXPECT_EQ(noteOns(0, from) + noteOns(9, from), 0);
    EXPECT_EQ(noteOns(1, from), 1);

    player->playEntry(1);
    start = clock.now();
    at(0);
    rows = player->channelRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0].muted);
    EXPECT_TRUE(rows[0].audible);
    EXPECT_EQ(noteOns(0, from), 1) << "the next song's first note is heard";
}

}  // namespace
}  // namespace vesk::player::test
