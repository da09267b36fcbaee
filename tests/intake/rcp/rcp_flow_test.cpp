// Loops, same-measure references, track layouts and the per-track settings.
#include "intake/rcp/rcp_test_support.h"

namespace vesk::test::rcp {
namespace {

using smf::fromHex;
using smf::Note;

class RcpFlow : public BothLayouts {};

std::vector<quint32> starts(const std::vector<Note>& notes) {
    std::vector<quint32> out;
    for (const Note& n : notes) {
        out.push_back(n.start);
    }
    return out;
}

std::vector<int> keys(const std::vector<Note>& notes) {
    std::vector<int> out;
    for (const Note& n : notes) {
        out.push_back(n.key);
    }
    return out;
}

TEST_P(RcpFlow, LoopsRepeatTheirBodyAndNest) {
    // Outer x2 around (one note, inner x3 around one note): 2 x (1 + 3) notes.
    const std::vector<Note> nested =
        notesOf(v3(), {cmd(0xF9, 1), note(60, 10, 5, 100), cmd(0xF9, 1), note(62, 10, 5, 100),
                       cmd(0xF8, 3), cmd(0xF8, 2), note(64, 10, 5, 100)});
    EXPECT_EQ(keys(nested), (std::vector<int>{60, 62, 62, 62, 60, 62, 62, 62, 64}));
    EXPECT_EQ(starts(nested), (std::vector<quint32>{0, 10, 20, 30, 40, 50, 60, 70, 80}));

    // A stray loop end is ignored, an open loop start too.
    const std::vector<Note> odd = notesOf(v3(), {cmd(0xF8, 4), cmd(0xF9), note(60, 10, 5, 100),
                                                 cmd(0xF8, 2), cmd(0xF9), note(62, 10, 5, 100)});
    EXPECT_EQ(keys(odd), (std::vector<int>{60, 60, 62}));
    EXPECT_EQ(starts(odd), (std::vector<quint32>{0, 10, 20}));
}

TEST_P(RcpFlow, SameMeasurePlaysTheReferencedMeasureInPlace) {
    const bool g = v3();
    // Measure 0 is events 0-2. Event 3 plays it; event 5 plays measure 0 from its second
    // note; event 7 reaches event 1 through a chain (7 -> 5 -> 1); event 9 plays from
    // event 4, where the FC at 5 ends the excursion like a measure end.
    const std::vector<Note> notes =
        notesOf(g, {note(60, 10, 5, 100), note(62, 10, 5, 100), cmd(0xFD),  // 0-2
                    sameMeasure(g, 0, 0),                                   // 3
                    note(64, 10, 5, 100), sameMeasure(g, 1, 1), cmd(0xFD),  // 4-6
                    sameMeasure(g, 5, 2),                                   // 7
                    note(67, 10, 5, 100), sameMeasure(g, 4, 1),             // 8-9
                    note(69, 10, 5, 100)});
    EXPECT_EQ(keys(notes), (std::vector<int>{60, 62, 60, 62, 64, 62, 62, 67, 64, 69}));
    EXPECT_EQ(starts(notes), (std::vector<quint32>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
}

TEST_P(RcpFlow, SameMeasureInsideALoop) {
    const bool g = v3();
    const std::vector<Note> notes =
        notesOf(g, {note(60, 10, 5, 100), cmd(0xFD),                                // measure 0
                    cmd(0xF9), sameMeasure(g, 0), note(62, 10, 5, 100), cmd(0xFD),  // 2-5
                    cmd(0xF8, 3)});
    EXPECT_EQ(keys(notes), (std::vector<int>{60, 60, 62, 60, 62, 60, 62}));
    EXPECT_EQ(starts(notes), (std::vector<quint32>{0, 10, 20, 30, 40, 50, 60}));
}

TEST_P(RcpFlow, TrackCountsAndBothPorts) {
    for (const int count : {18, 36}) {
        SongPlan song;
        song.version3 = v3();
        song.trackCount = count;
        for (int t = 0; t < count; ++t) {
            TrackPlan track;
            if (count == 18) {
                track.channel = t % 16;
            } else {
                track.channel = t < 16 ? t : (t < 32 ? 0x10 | (t - 16) : 0xFF);
            }
            track.events = {note(40 + t, 10, 5, 100)};
            song.tracks.push_back(track);
        }
        const smf::File file = convertOk(buildSong(song));
        const int withChannel = count == 18 ? 18 : 32;
        ASSERT_EQ(int(file.tracks.size()), 1 + withChannel) << count;
        for (int t = 0; t < withChannel; ++t) {
            const smf::Track& track = file.tracks[1 + t];
            const std::vector<Note> notes = smf::notes(track);
            ASSERT_EQ(notes.size(), 1u) << t;
            EXPECT_EQ(notes[0].key, 40 + t);
            EXPECT_EQ(notes[0].channel, t % 16);
            const std::vector<QByteArray> port = smf::metas(track, 0x21);
            if (count == 18) {
                EXPECT_TRUE(port.empty()) << "one port in use: no port tags";
            } else {
                ASSERT_EQ(port.size(), 1u) << t;
                EXPECT_EQ(port[0], QByteArray(1, char(t < 16 ? 0 : 1)));
            }
        }
    }
}

TEST(RcpLayout, EarlyFilesWithTrackCountZeroHold18Tracks) {
    SongPlan song;
    song.trackCount = 0;
    song.padTracks = false;
    for (int t = 0; t < 19; ++t) {
        TrackPlan track;
        track.events = {note(40 + t, 10, 5, 100)};
        song.tracks.push_back(track);
    }
    EXPECT_EQ(convertOk(buildSong(song)).tracks.size(), 19u) << "18 tracks and the conductor";
}

TEST_P(RcpFlow, ChannelChangesMidTrack) {
    const smf::Track track = onlyTrack(convertOk(buildSong(
        songWith(v3(),
                 {note(60, 10, 30, 100), cmd(0xE6, 0, 3), note(62, 10, 5, 100),  // ch 3, port A
                  cmd(0xE6, 0, 20), note(64, 10, 5, 100),                        // ch 4, port B
                  cmd(0xE6, 0, 33), note(65, 10, 5, 100),                        // invalid: kept
                  cmd(0xE6, 0, 0), note(67, 10, 5, 100), cmd(0xEB, 10, 7, 1)},   // OFF
                 0x01))));
    const std::vector<Note> notes = smf::notes(track);
    // The note started on channel 2 is released there after the change.
    EXPECT_EQ(
        notes,
        (std::vector<Note>{
            {0, 30, 1, 60, 100}, {10, 5, 2, 62, 100}, {20, 5, 3, 64, 100}, {30, 5, 3, 65, 100}}));
    EXPECT_EQ(smf::metas(track, 0x21),
              (std::vector<QByteArray>{fromHex("00"), fromHex("01"), fromHex("00"), fromHex("01")}))
        << "the port tag follows the events (the note-off at 30 is on port A)";
    EXPECT_TRUE(smf::channelEvents(track, 0xB0).empty());
}

TEST_P(RcpFlow, KeyOffsetPlayBiasAndRhythmTracks) {
    SongPlan song;
    song.version3 = v3();
    song.playBias = -1;
    const auto track = [](int keyPlus, std::vector<Ev> events) {
        TrackPlan t;
        t.keyPlus = keyPlus;
        t.events = std::move(events);
        return t;
    };
    song.tracks = {track(0x0C, {note(60, 10, 5, 100)}), track(0x74, {note(72, 10, 5, 100)}),
                   track(0x80, {note(36, 10, 5, 100)}),  // rhythm: no offset at all
                   track(0x3F, {note(70, 10, 5, 100), note(20, 10, 5, 100)}),
                   track(0x00, {note(0, 10, 5, 100), note(1, 10, 5, 100), cmd(0xED, 10, 60, 30)})};
    const smf::File file = convertOk(buildSong(song));
    ASSERT_EQ(file.tracks.size(), 6u);
    EXPECT_EQ(keys(smf::notes(file.tracks[1])), std::vector<int>{71});
    EXPECT_EQ(keys(smf::notes(file.tracks[2])), std::vector<int>{59});
    EXPECT_EQ(keys(smf::notes(file.tracks[3])), std::vector<int>{36});
    EXPECT_EQ(keys(smf::notes(file.tracks[4])), std::vector<int>{82}) << "132 is dropped";
    const std::vector<Note> low = smf::notes(file.tracks[5]);
    EXPECT_EQ(keys(low), std::vector<int>{0}) << "-1 is dropped";
    EXPECT_EQ(low[0].start, 10u);
    ASSERT_EQ(smf::channelEvents(file.tracks[5], 0xA0).size(), 1u);
    EXPECT_EQ(smf::channelEvents(file.tracks[5], 0xA0)[0].at(1), 60) << "not transposed";
}

TEST_P(RcpFlow, StepOffsetShiftsTheTrack) {
    SongPlan song;
    song.version3 = v3();
    TrackPlan later;
    later.stepPlus = 5;
    later.events = {note(60, 10, 5, 100), cmd(0xEB, 0, 7, 1)};
    TrackPlan earlier;
    earlier.stepPlus = 0xFE;  // -2
    earlier.events = {note(60, 0, 1, 100), note(62, 10, 4, 100), note(64, 10, 5, 100)};
    song.tracks = {later, earlier};
    const smf::File file = convertOk(buildSong(song));
    ASSERT_EQ(file.tracks.size(), 3u);
    EXPECT_EQ(smf::notes(file.tracks[1]), (std::vector<Note>{{5, 5, 0, 60, 100}}));
    EXPECT_EQ(smf::channelEvents(file.tracks[1], 0xB0)[0].tick, 15u);
    // Pushed before tick 0: clamped there, and a note squeezed to nothing disappears.
    EXPECT_EQ(smf::notes(file.tracks[2]),
              (std::vector<Note>{{0, 2, 0, 62, 100}, {8, 5, 0, 64, 100}}));
}

TEST(RcpLayout, OldFilesStoreStepOffsetUnsigned) {
    SongPlan song;
    song.trackCount = 0;
    TrackPlan track;
    track.stepPlus = 0x90;  // -112 signed, out of the range newer versions write
    track.events = {note(60, 10, 200, 100)};
    song.tracks = {track};
    EXPECT_EQ(smf::notes(onlyTrack(convertOk(buildSong(song))))[0].start, 0x90u);

    song.trackCount = 18;
    EXPECT_EQ(smf::notes(onlyTrack(convertOk(buildSong(song))))[0].start, 0u) << "clamped";
}

TEST_P(RcpFlow, MutedAndEmptyTracksAreLeftOut) {
    SongPlan song;
    song.version3 = v3();
    TrackPlan muted;
    muted.mode = 1;
    muted.comment = "muted";
    muted.events = {note(60, 10, 5, 100), cmd(0xE7, 0, 0x80)};
    TrackPlan named;
    named.comment = "only a name";
    named.events = {note(60, 10, 5, 0)};
    TrackPlan playing;
    playing.comment = "playing";
    playing.events = {note(62, 10, 5, 100)};
    song.tracks = {muted, named, playing};
    const smf::File file = convertOk(buildSong(song));
    ASSERT_EQ(file.tracks.size(), 2u);
    EXPECT_EQ(smf::metas(file.tracks[1], 0x03), std::vector<QByteArray>{"playing"});
    EXPECT_EQ(smf::metas(file.tracks[0], 0x51).size(), 1u) << "a muted track sets no tempo";
}

TEST_P(RcpFlow, WrongSizeFieldsAndTrailers) {
    SongPlan song;
    song.version3 = v3();
    song.trackCount = 18;
    song.padTracks = false;
    TrackPlan wrong;
    wrong.sizeField = 12;  // smaller than a header: the end mark decides
    wrong.events = {note(60, 10, 5, 100)};
    TrackPlan second;
    second.sizeField = 0x7FFF0;  // runs past the file
    second.events = {note(62, 10, 5, 100)};
    song.tracks = {wrong, second};
    QByteArray bytes = buildSong(song) + "RCFW Ver2.0-000 " + QByteArray(8, '\0');
    const smf::File file = convertOk(bytes);
    ASSERT_EQ(file.tracks.size(), 3u) << "two tracks read, the rest missing";
    EXPECT_EQ(keys(smf::notes(file.tracks[2])), std::vector<int>{62});
}

TEST(RcpLayout, LongTracksUseTheLowSizeBitsAsHighBits) {
    SongPlan song;
    song.padTracks = false;
    TrackPlan big;
    // More than 64 KiB of events. An unknown FF event early on would end the track if
    // the size were misread and the end mark searched instead.
    for (int i = 0; i < 16400; ++i) {
        big.events.push_back(note(60 + i % 12, 1, 1, 100));
        if (i == 100) {
            big.events.push_back(cmd(0xFF));
        }
    }
    const long size = 44 + 4 * (16400 + 2);
    big.sizeField = (size & 0xFFFC) | ((size >> 16) & 3);
    TrackPlan after;
    after.events = {note(90, 10, 5, 100)};
    song.tracks = {big, after};
    const smf::File file = convertOk(buildSong(song));
    ASSERT_EQ(file.tracks.size(), 3u);
    EXPECT_EQ(smf::notes(file.tracks[1]).size(), 16400u);
    EXPECT_EQ(keys(smf::notes(file.tracks[2])), std::vector<int>{90});
}

INSTANTIATE_TEST_SUITE_P(Rcp, RcpFlow, ::testing::Bool(), layoutName);

}  // namespace
}  // namespace vesk::test::rcp
