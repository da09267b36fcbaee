#pragma once
// Shared steps of the converter tests: build a song, convert it, parse the result.

#include "intake/rcp/rcp_builder.h"
#include "intake/rcp/rcp_converter.h"
#include "intake/rcp/smf_reader.h"

#include <gtest/gtest.h>

namespace vesk::test::rcp {

// Converts and parses, failing the test on any error on the way.
inline smf::File convertOk(const QByteArray& rcp) {
    const intake::RcpResult result = intake::convertRcpToSmf(rcp);
    EXPECT_TRUE(result.ok()) << result.message.toStdString();
    smf::File file = smf::parse(result.smf);
    EXPECT_TRUE(file.error.isEmpty()) << file.error.toStdString();
    return file;
}

inline SongPlan songWith(bool version3, std::vector<Ev> events, int channel = 0) {
    SongPlan song;
    song.version3 = version3;
    TrackPlan track;
    track.channel = channel;
    track.events = std::move(events);
    song.tracks.push_back(track);
    return song;
}

// The song's only music track (after the conductor).
inline smf::Track onlyTrack(const smf::File& file) {
    EXPECT_EQ(file.tracks.size(), 2u);
    return file.tracks.size() == 2 ? file.tracks[1] : smf::Track{};
}

inline std::vector<smf::Note> notesOf(bool version3, std::vector<Ev> events) {
    return smf::notes(onlyTrack(convertOk(buildSong(songWith(version3, std::move(events))))));
}

inline quint32 endTick(const smf::Track& track) {
    return track.events.empty() ? 0 : track.events.back().tick;
}

class BothLayouts : public ::testing::TestWithParam<bool> {
  protected:
    bool v3() const { return GetParam(); }
};

inline std::string layoutName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "G36" : "RCP";
}

}  // namespace vesk::test::rcp
