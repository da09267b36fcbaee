// Input that is not a song, or a broken or hostile one, fails with a clear error.
#include "intake/rcp/rcp_test_support.h"

#include <QRandomGenerator>

namespace vesk::test::rcp {
namespace {

using intake::convertRcpToSmf;
using intake::RcpError;
using intake::RcpLimits;

class RcpBadInput : public BothLayouts {};

void expectFailure(const QByteArray& bytes, RcpError error, const char* what) {
    const intake::RcpResult result = convertRcpToSmf(bytes);
    EXPECT_EQ(result.error, error) << what << ": " << result.message.toStdString();
    EXPECT_FALSE(result.message.isEmpty()) << what;
    EXPECT_TRUE(result.smf.isEmpty()) << what;
}

SongPlan smallSong(bool version3) {
    SongPlan song = songWith(version3, {note(60, 10, 5, 100), cmd(0xFD)});
    TrackPlan second;
    second.events = {note(62, 10, 5, 100)};
    song.tracks.push_back(second);
    return song;
}

TEST(RcpSignature, OtherFilesAreRefused) {
    expectFailure({}, RcpError::BadSignature, "empty");
    expectFailure("MThd\0\0\0\x06", RcpError::BadSignature, "an SMF");
    expectFailure(QByteArray(4000, '\0'), RcpError::BadSignature, "zeros");
    expectFailure("RCM-PC98V2.0(C)COM", RcpError::Truncated, "cut in the signature");
    expectFailure("COME ON MUSIC RECOMP", RcpError::Truncated, "cut in the signature");
    expectFailure(QByteArray("COME ON MUSIC") + QByteArray(0x5849, '\0'),
                  RcpError::UnsupportedFormat, "control file");
    expectFailure(QByteArray("STEDDATAx.xxDedicatedToTURBO") + QByteArray(4000, '\0'),
                  RcpError::UnsupportedFormat, "STed");
    expectFailure(QByteArray("M1") + QByteArray(4000, '\0'), RcpError::UnsupportedFormat,
                  "Recomposer 1.x");
}

TEST_P(RcpBadInput, EveryCutOfTheFileFailsOrKeepsWholeTracks) {
    const QByteArray whole = buildSong(smallSong(v3()));
    const qsizetype header = v3() ? 0xC98 : 0x586;
    const qsizetype firstTrackEnd = header + (v3() ? 46 + 3 * 6 : 44 + 3 * 4);
    for (qsizetype size = 0; size < whole.size(); ++size) {
        const intake::RcpResult result = convertRcpToSmf(whole.left(size));
        if (size < firstTrackEnd) {
            EXPECT_EQ(result.error, size == 0 ? RcpError::BadSignature : RcpError::Truncated)
                << size;
            continue;
        }
        // Past the first track, a cut either lands between tracks (the missing ones are
        // empty) or inside one (a clear failure).
        if (result.ok()) {
            const smf::File file = smf::parse(result.smf);
            EXPECT_TRUE(file.error.isEmpty()) << size;
            EXPECT_GE(file.tracks.size(), 2u) << size;
        } else {
            EXPECT_EQ(result.error, RcpError::Truncated) << size;
        }
    }
    EXPECT_TRUE(convertRcpToSmf(whole.left(firstTrackEnd)).ok());
}

TEST_P(RcpBadInput, ImpossibleHeaders) {
    SongPlan song = smallSong(v3());
    song.timeBase = 0;
    expectFailure(buildSong(song), RcpError::BadHeader, "time base 0");
    song.timeBase = 0x8000;
    expectFailure(buildSong(song), RcpError::BadHeader, "time base beyond SMF");
    song.timeBase = 48;
    song.trackCount = 7;
    expectFailure(buildSong(song), RcpError::BadHeader, "track count 7");
    if (v3()) {
        song.trackCount = 0;
        expectFailure(buildSong(song), RcpError::BadHeader, "version 3 track count 0");
    }
}

TEST_P(RcpBadInput, ReferencesThatPointNowhereOrCircle) {
    const bool g = v3();
    const auto refuse = [&](std::vector<Ev> events, const char* what) {
        expectFailure(buildSong(songWith(g, std::move(events))), RcpError::BadReference, what);
    };
    refuse({note(60, 10, 5, 100), cmd(0xFD), sameMeasure(g, 50)}, "past the track");
    refuse({note(60, 10, 5, 100), cmd(0xFD), sameMeasure(g, 4)}, "just past the end mark");
    refuse({note(60, 10, 5, 100), cmd(0xFD), sameMeasure(g, 2)}, "to itself");
    refuse({note(60, 10, 5, 100), sameMeasure(g, 2), sameMeasure(g, 1)}, "a cycle of two");
    refuse({note(60, 10, 5, 100), cmd(0xFD), sameMeasure(g, -1)}, "before the first event");
    // A chain of 150 references, each to the one before, exceeds the hop limit.
    std::vector<Ev> chain = {note(60, 10, 5, 100), cmd(0xFD)};
    for (int i = 0; i < 150; ++i) {
        chain.push_back(sameMeasure(g, i == 0 ? 0 : 1 + i));
    }
    refuse(chain, "a chain too long");
}

TEST_P(RcpBadInput, LoopBombsAndEndlessTimeHitTheCaps) {
    std::vector<Ev> deep;
    for (int i = 0; i <= RcpLimits::kMaxLoopDepth; ++i) {
        deep.push_back(cmd(0xF9));
    }
    deep.push_back(note(60, 1, 1, 100));
    expectFailure(buildSong(songWith(v3(), deep)), RcpError::BadLoop, "too deep");

    // Eight loops of 255 passes each would be 255^8 notes.
    std::vector<Ev> bomb;
    for (int i = 0; i < 8; ++i) {
        bomb.push_back(cmd(0xF9));
    }
    bomb.push_back(note(60, 1, 1, 100));
    for (int i = 0; i < 8; ++i) {
        bomb.push_back(cmd(0xF8, 255));
    }
    expectFailure(buildSong(songWith(v3(), bomb)), RcpError::TooLarge, "loop bomb");

    // Long rests alone, with nothing to play, still cannot run the clock past SMF range.
    const int step = v3() ? 65535 : 255;
    const std::vector<Ev> rests = {
        cmd(0xF9),      cmd(0xF9),      cmd(0xF9),     note(60, step, 0, 0),
        cmd(0xF8, 255), cmd(0xF8, 255), cmd(0xF8, 255)};
    expectFailure(buildSong(songWith(v3(), rests)), RcpError::TooLarge, "endless rest");
}

TEST(RcpLimitsTest, OversizedInputIsRefusedUnread) {
    QByteArray huge = buildSong(smallSong(false));
    huge.append(QByteArray(RcpLimits::kMaxInputBytes, ' '));
    expectFailure(huge, RcpError::TooLarge, "too large");
}

TEST_P(RcpBadInput, RandomDamageNeverBreaksTheOutput) {
    const bool g = v3();
    SongPlan song = songWith(g, {note(60, 10, 5, 100), cmd(0xF9), note(62, 10, 20, 100),
                                 cmd(0xEB, 5, 7, 100), cmd(0xF8, 3), cmd(0xFD)});
    append(song.tracks[0].events, withContinuation(g, cmd(0xF6), true, "comment text"));
    append(song.tracks[0].events,
           withContinuation(g, cmd(0x98, 1, 1, 2), false, smf::fromHex("411042128340007F0084F7")));
    song.tracks[0].events.push_back(sameMeasure(g, 0));
    song.tracks[0].events.push_back(cmd(0xE6, 0, 18));
    song.tracks[0].events.push_back(note(64, 10, 5, 100));
    song.tracks.push_back(song.tracks[0]);
    const QByteArray original = buildSong(song);
    const qsizetype header = g ? 0xC98 : 0x586;

    QRandomGenerator random(g ? 36 : 18);
    int converted = 0;
    for (int round = 0; round < 1500; ++round) {
        QByteArray bytes = original;
        const int changes = 1 + random.bounded(8);
        for (int c = 0; c < changes; ++c) {
            // Mostly the track data, sometimes the header's numbers.
            const qsizetype at = random.bounded(4) == 0
                                     ? 0x1C0 + random.bounded(0x60)
                                     : header + random.bounded(int(original.size() - header));
            bytes[at] = static_cast<char>(random.bounded(256));
        }
        if (random.bounded(5) == 0) {
            bytes.truncate(header + random.bounded(int(bytes.size() - header)));
        }
        const intake::RcpResult result = convertRcpToSmf(bytes);
        if (result.ok()) {
            ++converted;
            const smf::File file = smf::parse(result.smf);
            ASSERT_TRUE(file.error.isEmpty())
                << "round " << round << ": " << file.error.toStdString();
        } else {
            ASSERT_FALSE(result.message.isEmpty()) << "round " << round;
        }
    }
    EXPECT_GT(converted, 100) << "most damage still leaves a song";
}

INSTANTIATE_TEST_SUITE_P(Rcp, RcpBadInput, ::testing::Bool(), layoutName);

}  // namespace
}  // namespace vesk::test::rcp
