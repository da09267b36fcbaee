// A converted two-port song plays its port-B tracks on port B.
#include "intake/rcp/rcp_test_support.h"
#include "sequencer/smf_reader.h"

namespace vesk::test::rcp {
namespace {

TEST(RcpTwoPorts, PortBTracksReachThePlayerOnPortB) {
    SongPlan song;
    song.version3 = true;
    for (const int channel : {0x00, 0x10, 0x01}) {
        TrackPlan track;
        track.channel = channel;
        track.events = {note(60 + channel, 10, 5, 100)};
        song.tracks.push_back(track);
    }
    const intake::RcpResult result = intake::convertRcpToSmf(buildSong(song));
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    sequencer::Song played;
    ASSERT_EQ(
        sequencer::readSmf(std::span(reinterpret_cast<const std::uint8_t*>(result.smf.constData()),
                                     static_cast<std::size_t>(result.smf.size())),
                           played),
        sequencer::SequencerError::None);
    std::vector<std::pair<int, int>> keys;  // channel index, key
    for (const sequencer::SongEvent& e : played.events) {
        if (e.isNoteOn()) {
            keys.emplace_back(e.channelIndex(), e.data1);
        }
    }
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{0, 60}, {16, 76}, {1, 61}}));
}

}  // namespace
}  // namespace vesk::test::rcp
