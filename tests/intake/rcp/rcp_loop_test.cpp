// Endless loops kept as the song's loop points.
#include "intake/rcp/rcp_test_support.h"
#include "sequencer/loop_plan.h"
#include "sequencer/smf_reader.h"

namespace vesk::test::rcp {
namespace {

using smf::Note;

class RcpLoops : public BothLayouts {};

std::vector<int> keys(const std::vector<Note>& notes) {
    std::vector<int> out;
    for (const Note& n : notes) {
        out.push_back(n.key);
    }
    return out;
}

// The marker texts of the conductor and their ticks.
std::vector<std::pair<quint32, QByteArray>> markers(const smf::File& file) {
    std::vector<std::pair<quint32, QByteArray>> out;
    for (const smf::Event& e : smf::metaEvents(file.tracks.at(0), 0x06)) {
        out.emplace_back(e.tick, e.bytes.mid(2));
    }
    return out;
}

TrackPlan trackOf(std::vector<Ev> events, int channel) {
    TrackPlan track;
    track.channel = channel;
    track.events = std::move(events);
    return track;
}

TEST_P(RcpLoops, AnEndlessLoopBecomesLoopPointsThePlayerFinds) {
    SongPlan song = songWith(v3(), {note(60, 48, 40, 100), cmd(0xF9), note(62, 48, 40, 100),
                                    note(64, 48, 40, 100), cmd(0xF8, 0), note(65, 48, 40, 100)});
    // A second track loops the same measures with a rest, and a short third ends before.
    song.tracks.push_back(
        trackOf({note(48, 48, 40, 100), cmd(0xF9), note(50, 96, 90, 100), cmd(0xF8, 0)}, 1));
    song.tracks.push_back(trackOf({note(36, 24, 20, 100)}, 2));
    const intake::RcpResult result = intake::convertRcpToSmf(buildSong(song));
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const smf::File file = smf::parse(result.smf);
    // The looped part is written once; what follows the endless loop is never reached.
    EXPECT_EQ(keys(smf::notes(file.tracks.at(1))), (std::vector<int>{60, 62, 64}));
    EXPECT_EQ(keys(smf::notes(file.tracks.at(2))), (std::vector<int>{48, 50}));
    EXPECT_EQ(markers(file),
              (std::vector<std::pair<quint32, QByteArray>>{{48, "loopStart"}, {144, "loopEnd"}}));

    sequencer::Song read;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(result.smf.constData()),
                                 static_cast<std::size_t>(result.smf.size()));
    ASSERT_EQ(sequencer::readSmf(bytes, read), sequencer::SequencerError::None);
    const auto points = sequencer::findLoopPoints(read);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->startTick, 48u);
    EXPECT_EQ(points->endTick, 144u);
}

TEST_P(RcpLoops, LoopsThatDoNotLineUpPlayTwiceAsBefore) {
    // Two tracks whose endless loops start at different places: no one loop for the song.
    SongPlan song = songWith(v3(), {cmd(0xF9), note(60, 48, 40, 100), cmd(0xF8, 0)});
    song.tracks.push_back(
        trackOf({note(48, 24, 20, 100), cmd(0xF9), note(50, 48, 40, 100), cmd(0xF8, 0)}, 1));
    smf::File file = convertOk(buildSong(song));
    EXPECT_TRUE(markers(file).empty());
    EXPECT_EQ(keys(smf::notes(file.tracks.at(1))), (std::vector<int>{60, 60}));
    EXPECT_EQ(keys(smf::notes(file.tracks.at(2))), (std::vector<int>{48, 50, 50}));

    // A track playing on past the loop end, and an endless loop inside a counted one.
    song = songWith(v3(), {cmd(0xF9), note(60, 48, 40, 100), cmd(0xF8, 0)});
    song.tracks.push_back(trackOf({note(48, 96, 90, 100)}, 1));
    file = convertOk(buildSong(song));
    EXPECT_TRUE(markers(file).empty());
    EXPECT_EQ(keys(smf::notes(file.tracks.at(1))), (std::vector<int>{60, 60}));
    file = convertOk(buildSong(
        songWith(v3(), {cmd(0xF9), cmd(0xF9), note(60, 48, 40, 100), cmd(0xF8, 0), cmd(0xF8, 2)})));
    EXPECT_TRUE(markers(file).empty());
    EXPECT_EQ(keys(smf::notes(file.tracks.at(1))), (std::vector<int>{60, 60, 60, 60}));
}

INSTANTIATE_TEST_SUITE_P(Layouts, RcpLoops, ::testing::Bool(), layoutName);

}  // namespace
}  // namespace vesk::test::rcp
