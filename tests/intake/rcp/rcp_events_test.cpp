// Header fields and each kind of event, as they come out in the SMF.
#include "intake/rcp/rcp_test_support.h"

#include "intake/rcp/rcp_expand.h"

namespace vesk::test::rcp {
namespace {

using smf::fromHex;
using smf::hex;
using smf::Note;

TEST_P(BothLayouts, HeaderFillsTheConductorTrack) {
    SongPlan song = songWith(v3(), {note(60, 48, 48, 100)});
    song.title = "\x83\x65\x83\x58\x83\x67 song";  // CP932 "テスト song"
    song.memo = {"first line", "", "third \x82\xa0", "", ""};
    song.timeBase = 480;
    song.tempo = 90;
    song.numerator = 3;
    song.denominator = 8;
    song.key = 0x19;
    const smf::File file = convertOk(buildSong(song));

    EXPECT_EQ(file.format, 1);
    EXPECT_EQ(file.division, 480);
    ASSERT_EQ(file.tracks.size(), 2u);
    const smf::Track& conductor = file.tracks[0];
    ASSERT_FALSE(conductor.events.empty());
    EXPECT_EQ(conductor.events[0].bytes, "\xFF\x03" + song.title) << "title comes first";
    const std::vector<QByteArray> memo = smf::metas(conductor, 0x01);
    ASSERT_EQ(memo.size(), 3u) << "trailing empty lines are dropped";
    EXPECT_EQ(memo[0], "first line");
    EXPECT_EQ(memo[1], "");
    EXPECT_EQ(memo[2], "third \x82\xa0");
    EXPECT_EQ(smf::metas(conductor, 0x58), std::vector<QByteArray>{fromHex("03031808")});
    EXPECT_EQ(smf::metas(conductor, 0x59), std::vector<QByteArray>{fromHex("FF01")});
    // 60,000,000 / 90 truncated.
    EXPECT_EQ(smf::metas(conductor, 0x51), std::vector<QByteArray>{fromHex("0A2C2A")});
    for (size_t i = 0; i + 1 < conductor.events.size(); ++i) {
        EXPECT_EQ(conductor.events[i].tick, 0u);
    }
    EXPECT_EQ(endTick(conductor), 48u) << "the conductor lasts as long as the song";
}

TEST_P(BothLayouts, ImpossibleTimeSignatureIsLeftOutAndTempoZeroMeans120) {
    SongPlan song = songWith(v3(), {note(60, 48, 48, 100)});
    song.numerator = 0;
    song.denominator = 0;
    song.tempo = 0;
    const smf::File file = convertOk(buildSong(song));
    EXPECT_TRUE(smf::metas(file.tracks[0], 0x58).empty());
    EXPECT_EQ(smf::metas(file.tracks[0], 0x51), std::vector<QByteArray>{fromHex("07A120")});

    song.numerator = 4;
    song.denominator = 6;
    EXPECT_TRUE(smf::metas(convertOk(buildSong(song)).tracks[0], 0x58).empty());
}

TEST_P(BothLayouts, NotesFollowStepAndGate) {
    const std::vector<Note> notes = notesOf(
        v3(), {note(60, 0, 30, 100), note(64, 24, 12, 90),  // chord, gates shorter than step
               note(67, 24, 100, 80),                       // gate reaches past later notes
               note(69, 48, 0, 100),                        // gate 0: silent
               note(71, 48, 10, 0),                         // velocity 0: silent
               note(72, 24, 24, 110)});
    EXPECT_EQ(
        notes,
        (std::vector<Note>{
            {0, 30, 0, 60, 100}, {0, 12, 0, 64, 90}, {24, 100, 0, 67, 80}, {144, 24, 0, 72, 110}}));
}

TEST(RcpLayout, Version3StepsAndGatesAreSixteenBits) {
    const std::vector<Note> notes = notesOf(true, {note(60, 300, 1000, 100), note(62, 0, 5, 100)});
    EXPECT_EQ(notes, (std::vector<Note>{{0, 1000, 0, 60, 100}, {300, 5, 0, 62, 100}}));
}

TEST_P(BothLayouts, SameKeyStruckWhileSoundingExtendsTheNote) {
    EXPECT_EQ(notesOf(v3(), {note(60, 24, 48, 100), note(60, 24, 48, 90)}),
              (std::vector<Note>{{0, 72, 0, 60, 100}}));
    // Struck exactly when it ends: a fresh note, and its off comes before the new on.
    const smf::Track track = onlyTrack(
        convertOk(buildSong(songWith(v3(), {note(60, 24, 24, 100), note(60, 24, 24, 90)}))));
    EXPECT_EQ(smf::notes(track), (std::vector<Note>{{0, 24, 0, 60, 100}, {24, 24, 0, 60, 90}}));
    const std::vector<smf::Event> at24 = [&] {
        std::vector<smf::Event> out;
        for (const smf::Event& e : track.events) {
            if (e.tick == 24 && (e.status() & 0xE0) == 0x80) {
                out.push_back(e);
            }
        }
        return out;
    }();
    ASSERT_EQ(at24.size(), 2u);
    EXPECT_EQ(at24[0].status(), 0x80);
    EXPECT_EQ(at24[1].status(), 0x90);
}

TEST_P(BothLayouts, NotesSoundingAtTheEndRunOutAndTheTrackEndsAfterThem) {
    const smf::Track track = onlyTrack(
        convertOk(buildSong(songWith(v3(), {note(60, 10, 200, 100), note(62, 10, 5, 100)}))));
    EXPECT_EQ(smf::notes(track), (std::vector<Note>{{0, 200, 0, 60, 100}, {10, 5, 0, 62, 100}}));
    EXPECT_EQ(endTick(track), 200u);
    EXPECT_EQ(track.events.back().bytes, fromHex("FF2F"));
}

TEST_P(BothLayouts, ChannelMessages) {
    const smf::Track track = onlyTrack(convertOk(buildSong(songWith(
        v3(),
        {cmd(0xEB, 1, 7, 100), cmd(0xEC, 1, 5), cmd(0xE1, 1, 10, 3), cmd(0xE2, 1, 11, 8),
         cmd(0xEA, 1, 40), cmd(0xED, 1, 60, 70), cmd(0xEE, 1, 0x00, 0x40), cmd(0xEE, 1, 0x7F, 0x7F),
         // data bytes above 7F never reach the file
         cmd(0xEB, 1, 0x80, 1), cmd(0xEC, 1, 0x90), cmd(0xE2, 1, 1, 0x80), cmd(0xEE, 1, 0, 0x80)},
        5))));
    std::vector<std::string> got;
    for (const smf::Event& e : track.events) {
        if (e.status() < 0xF0) {
            got.push_back((QByteArray::number(e.tick) + ":" + hex(e.bytes)).toStdString());
        }
    }
    EXPECT_EQ(got, (std::vector<std::string>{"0:B5 07 64", "1:C5 05", "2:B5 20 03", "2:C5 0A",
                                             "3:B5 00 08", "3:C5 0B", "4:D5 28", "5:A5 3C 46",
                                             "6:E5 00 40", "7:E5 7F 7F"}));
    EXPECT_EQ(endTick(track), 12u) << "dropped events still take their time";
}

TEST_P(BothLayouts, RelativeTempoIsAgainstTheHeaderTempo) {
    SongPlan song = songWith(v3(), {cmd(0xEB, 10, 7, 100), cmd(0xE7, 10, 0x80), cmd(0xE7, 10, 0x20),
                                    cmd(0xE7, 10, 0), cmd(0xE7, 10, 0x30), note(60, 10, 5, 100)});
    song.tempo = 100;
    TrackPlan second;
    second.events = {cmd(0xE5, 40), cmd(0xE7, 0, 60)};
    song.tracks.push_back(second);
    const smf::File file = convertOk(buildSong(song));
    std::vector<std::string> tempo;
    for (const smf::Event& e : smf::metaEvents(file.tracks[0], 0x51)) {
        tempo.push_back((QByteArray::number(e.tick) + ":" +
                         QByteArray::number((e.at(2) << 16) | (e.at(3) << 8) | e.at(4)))
                            .toStdString());
    }
    // 100 BPM: 600000; x2 and x0.5 of the header, not of each other; ratio 0 ignored.
    // At tick 40 the later track wins, and 60/64 of 100 BPM keeps its fraction.
    EXPECT_EQ(tempo,
              (std::vector<std::string>{"0:600000", "10:300000", "20:1200000", "40:640000"}));
    ASSERT_EQ(file.tracks.size(), 2u) << "a track with only tempo changes adds no track";
}

TEST_P(BothLayouts, KeySignatureEventsTakeNoTime) {
    const smf::File file = convertOk(buildSong(songWith(
        v3(), {note(60, 10, 5, 100), cmd(0xF5, 0x0B), note(62, 10, 5, 100), cmd(0xF5, 0x13)})));
    std::vector<std::string> keys;
    for (const smf::Event& e : smf::metaEvents(file.tracks[0], 0x59)) {
        keys.push_back((QByteArray::number(e.tick) + ":" + hex(e.bytes.mid(2))).toStdString());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"0:00 00", "10:FD 00", "20:03 01"}));
    EXPECT_EQ(smf::notes(file.tracks[1])[1].start, 10u);
}

TEST(RcpExclusive, TemplatesFillPlaceholdersAndChecksums) {
    using intake::rcp::buildExclusive;
    EXPECT_EQ(hex(buildExclusive(fromHex("411042128340007F0084F7"), 0, 0, 0)),
              "41 10 42 12 40 00 7F 00 41 F7");
    EXPECT_EQ(hex(buildExclusive(fromHex("41104212834011198084F7"), 0x64, 0, 0)),
              "41 10 42 12 40 11 19 64 32 F7");
    EXPECT_EQ(hex(buildExclusive(fromHex("7D808182F7"), 1, 2, 3)), "7D 01 02 03 F7");
    // A sum that is a multiple of 128 gives 0, not 80.
    EXPECT_EQ(hex(buildExclusive(fromHex("834000408084"), 0, 0, 0)), "40 00 40 00 00 F7");
    EXPECT_EQ(hex(buildExclusive(fromHex("7D01"), 0, 0, 0)), "7D 01 F7") << "F7 added at the end";
    EXPECT_TRUE(buildExclusive(fromHex("F7F7F7"), 0, 0, 0).isEmpty());
    EXPECT_TRUE(buildExclusive(fromHex("8384F7"), 0, 0, 0) == fromHex("00F7"));
    EXPECT_TRUE(buildExclusive(fromHex("7D80F7"), 0x80, 0, 0).isEmpty()) << "invalid value";
    EXPECT_TRUE(buildExclusive(fromHex("7D82F7"), 0, 0, -1).isEmpty()) << "no channel";
    EXPECT_TRUE(buildExclusive(fromHex("7D85F7"), 0, 0, 0).isEmpty()) << "unknown placeholder";
}

TEST_P(BothLayouts, UserAndChannelExclusives) {
    std::vector<Ev> events = {cmd(0x90, 5, 0x64, 0), cmd(0x91, 5, 1, 2), cmd(0x92, 5)};
    append(events, withContinuation(v3(), cmd(0x98, 5, 0x20, 0x30), false,
                                    fromHex("4110421283401119808184F7")));
    append(events, withContinuation(v3(), cmd(0x98, 5), false, fromHex("F7F7")));
    events.push_back(note(60, 5, 5, 100));
    SongPlan song = songWith(v3(), events, 0x03);
    song.userExclusive[0] = fromHex("41104212834011198084F7");
    song.userExclusive[1] = fromHex("7D808182F7");
    const smf::Track track = onlyTrack(convertOk(buildSong(song)));
    std::vector<std::string> got;
    for (const smf::Event& e : smf::exclusives(track)) {
        got.push_back((QByteArray::number(e.tick) + ":" + hex(e.bytes)).toStdString());
    }
    const int sum = 0x40 + 0x11 + 0x19 + 0x20 + 0x30;
    const QByteArray cs =
        QByteArray::number((128 - sum % 128) % 128, 16).rightJustified(2, '0').toUpper();
    EXPECT_EQ(got, (std::vector<std::string>{
                       "0:F0 41 10 42 12 40 11 19 64 32 F7", "5:F0 7D 01 02 03 F7",
                       "15:F0 41 10 42 12 40 11 19 20 30 " + cs.toStdString() + " F7"}));
}

TEST_P(BothLayouts, ExclusivesOnATrackWithoutChannelNeedNoChannel) {
    SongPlan song = songWith(v3(), {cmd(0x90, 1), cmd(0x91, 1), note(60, 1, 1, 100)}, 0xFF);
    song.userExclusive[0] = fromHex("7E7F0901F7");
    song.userExclusive[1] = fromHex("7D82F7");
    const smf::Track track = onlyTrack(convertOk(buildSong(song)));
    ASSERT_EQ(smf::exclusives(track).size(), 1u);
    EXPECT_EQ(hex(smf::exclusives(track)[0].bytes), "F0 7E 7F 09 01 F7");
    EXPECT_TRUE(smf::notes(track).empty());
}

TEST_P(BothLayouts, DeviceParameterCommands) {
    const smf::Track track = onlyTrack(convertOk(buildSong(
        songWith(v3(),
                 {cmd(0xDE, 1, 0x04, 0x7F),  // defaults: GS device, base 00 10
                  cmd(0xDF, 1, 0x11, 0x42), cmd(0xDD, 1, 0x40, 0x01), cmd(0xDE, 1, 0x30, 0x02),
                  cmd(0xC1, 1, 0x10, 0x20), cmd(0xC6, 1, 1, 2), cmd(0xCA, 1, 3, 4),
                  cmd(0xDC, 1, 5, 6), cmd(0xD1, 1, 0x10, 0x4C), cmd(0xD0, 1, 0x08, 0x00),
                  cmd(0xD2, 1, 0x07, 0x01), cmd(0xD3, 1, 0x0B, 0x40), cmd(0xC0, 1, 0x80, 0)},
                 0x02))));
    std::vector<std::string> got;
    for (const smf::Event& e : smf::exclusives(track)) {
        got.push_back((hex(e.bytes)).toStdString());
    }
    EXPECT_EQ(got, (std::vector<std::string>{
                       "F0 41 10 16 12 00 10 04 7F 6D F7", "F0 41 11 42 12 40 01 30 02 0D F7",
                       "F0 43 12 00 10 20 F7", "F0 43 75 02 10 01 02 F7", "F0 43 12 10 7B 03 04 F7",
                       "F0 41 32 02 05 06 F7", "F0 43 10 4C 08 00 07 01 F7",
                       "F0 43 10 4C 08 00 0B 40 F7"}));
}

TEST_P(BothLayouts, CommentsKeepTheirBytes) {
    // A double-byte character split across two chunks must come out whole.
    const QByteArray text = "a\x83\x65\x83\x58\x83\x67 xyz\x82";
    std::vector<Ev> events = {note(60, 4, 2, 100)};
    append(events, withContinuation(v3(), cmd(0xF6, 9), true, text + "\xa0   "));
    events.push_back(note(62, 4, 2, 100));
    append(events, withContinuation(v3(), cmd(0xF6), true, "  "));
    SongPlan song = songWith(v3(), events);
    song.tracks[0].comment = "Piano \x83\x73\x83\x41\x83\x6d";
    const smf::Track track = onlyTrack(convertOk(buildSong(song)));
    const std::vector<smf::Event> comments = smf::metaEvents(track, 0x01);
    ASSERT_EQ(comments.size(), 1u) << "blank comments are left out";
    EXPECT_EQ(comments[0].bytes.mid(2), text + "\xa0");
    EXPECT_EQ(comments[0].tick, 4u);
    EXPECT_EQ(smf::notes(track)[1].start, 4u) << "comments take no time";
    EXPECT_EQ(track.events[0].bytes, "\xFF\x03" + song.tracks[0].comment);
}

INSTANTIATE_TEST_SUITE_P(Rcp, BothLayouts, ::testing::Bool(), layoutName);

}  // namespace
}  // namespace vesk::test::rcp
