#include "sequencer/smf_reader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <random>

#include "sequencer/sequencer_errors.h"
#include "sequencer/smf_builder.h"

namespace vesk::sequencer {
namespace {

using test::ByteVector;
using test::Track;

ByteVector fileBytes(const char* name) {
    QFile f(QStringLiteral(VESK_TEST_DATA "/midi-test-files/") + QString::fromUtf8(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    const QByteArray b = f.readAll();
    return ByteVector(b.begin(), b.end());
}

SequencerError read(const ByteVector& bytes, Song& song) {
    return readSmf(std::span(bytes.data(), bytes.size()), song);
}

std::vector<int> noteOnKeys(const Song& song) {
    std::vector<int> keys;
    for (const SongEvent& e : song.events) {
        if (e.isNoteOn()) {
            keys.push_back(e.data1);
        }
    }
    return keys;
}

// A compact description of the channel events: "tick:status:data1".
std::vector<std::string> channelEvents(const Song& song) {
    std::vector<std::string> out;
    for (const SongEvent& e : song.events) {
        if (e.isChannel()) {
            out.push_back(std::to_string(e.tick) + ":" + std::to_string(e.status) + ":" +
                          std::to_string(e.data1));
        }
    }
    return out;
}

// Every one of these files must give exactly a C major scale, whatever is odd about it.
class CMajorScaleFile : public ::testing::TestWithParam<std::pair<const char*, std::uint32_t>> {};

TEST_P(CMajorScaleFile, PlaysTheScaleAndNotesItsDamage) {
    Song song;
    ASSERT_EQ(read(fileBytes(GetParam().first), song), SequencerError::None);
    EXPECT_EQ(noteOnKeys(song), (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72}));
    EXPECT_EQ(song.damage & GetParam().second, GetParam().second);
    // Every note is released again.
    int balance = 0;
    for (const SongEvent& e : song.events) {
        balance += e.isNoteOn() ? 1 : e.isNoteOff() ? -1 : 0;
    }
    EXPECT_EQ(balance, 0);
}

INSTANTIATE_TEST_SUITE_P(
    SharedFiles, CMajorScaleFile,
    ::testing::Values(std::pair{"running-status-metaevent.mid", kDamageNone},
                      std::pair{"running-status-sysex.mid", kDamageNone},
                      std::pair{"vlq-4-byte.mid", kDamageNone},
                      std::pair{"smpte-offset.mid", kDamageNone},
                      std::pair{"illegal-message-all.mid", kDamageIllegalStatus},
                      std::pair{"illegal-message-f4.mid", kDamageIllegalStatus},
                      std::pair{"corrupt-file-extra-byte.mid", kDamageForeignChunk},
                      std::pair{"corrupt-file-missing-byte.mid", kDamageTruncatedTrack},
                      std::pair{"non-midi-track.mid", kDamageForeignChunk}));

TEST(SmfReader, RefusesWhatIsNoMidiFileWithItsOwnCode) {
    Song song;
    EXPECT_EQ(read(fileBytes("empty-file.mid"), song), SequencerError::NotMidiFile);
    EXPECT_EQ(read(fileBytes("not-a-midi-file.mid"), song), SequencerError::NotMidiFile);
    EXPECT_EQ(read(test::smfHeader(0, 1, 96), song), SequencerError::NoTracks);
    EXPECT_EQ(read(test::smf(0, 0, {Track().end()}), song), SequencerError::BadHeader);
    // SMPTE with zero ticks per frame.
    EXPECT_EQ(read(test::smf(0, 0xE700, {Track().end()}), song), SequencerError::BadHeader);
    ByteVector shortHeader = test::chunk("MThd", {0, 0, 0, 1});
    EXPECT_EQ(read(shortHeader, song), SequencerError::BadHeader);
    ByteVector riffWave = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
    EXPECT_EQ(read(riffWave, song), SequencerError::NotMidiFile);
}

TEST(SmfReader, Format1TracksPlayTogetherAndFormat2OneAfterAnother) {
    Song together;
    ASSERT_EQ(read(fileBytes("2-tracks-type-1.mid"), together), SequencerError::None);
    Song sequential;
    ASSERT_EQ(read(fileBytes("2-tracks-type-2.mid"), sequential), SequencerError::None);
    Song invalidFormat0;
    ASSERT_EQ(read(fileBytes("2-tracks-type-0.mid"), invalidFormat0), SequencerError::None);
    EXPECT_EQ(noteOnKeys(together).size(), 16u);
    EXPECT_EQ(noteOnKeys(invalidFormat0).size(), 16u);

    // In format 2 the second track's notes (channel 2) all come after the first track ends.
    std::uint32_t lastOfFirst = 0;
    std::uint32_t firstOfSecond = UINT32_MAX;
    for (const SongEvent& e : sequential.events) {
        if (e.isNoteOn() && (e.status & 0x0F) == 0) {
            lastOfFirst = std::max(lastOfFirst, e.tick);
        }
        if (e.isNoteOn() && (e.status & 0x0F) == 1) {
            firstOfSecond = std::min(firstOfSecond, e.tick);
        }
    }
    EXPECT_GT(firstOfSecond, lastOfFirst);
    // Each track is 9 quarter notes long, its first note a quarter in: the sequence lasts
    // twice as long as the tracks played together.
    EXPECT_EQ(together.endTick, 9u * 96);
    EXPECT_EQ(sequential.endTick, 2u * 9 * 96);
    EXPECT_EQ(firstOfSecond, 9u * 96 + 96);
}

TEST(SmfReader, LengthRunsToTheLastEndOfTrackNotTheLastNote) {
    Song song;
    ASSERT_EQ(read(fileBytes("track-length.mid"), song), SequencerError::None);
    std::uint32_t lastNote = 0;
    for (const SongEvent& e : song.events) {
        if (e.isChannel()) {
            lastNote = std::max(lastNote, e.tick);
        }
    }
    EXPECT_EQ(song.endTick, lastNote + 192);  // a half note of silence at 96 per quarter
}

// Events of one tick go in track order, then file order, except that a note-off ending a
// key's note comes before a note-on that strikes the key again.
TEST(SmfReader, SameTickOrderFollowsTracksThenFileWithRestrikesFirst) {
    Track t0;
    t0.at(0, {0x90, 60, 100})
        .at(96, {0x90, 60, 100})  // restrike written before the note-off that ends the first
        .at(0, {0x80, 60, 0})     // ... which must come first
        .at(0, {0x90, 64, 100})   // a zero-length note: on, then off
        .at(0, {0x80, 64, 0})
        .at(96, {0x80, 60, 0})
        .end();
    Track t1;  // events at tick 96 go after track 0's
    t1.at(96, {0xB1, 7, 90}).at(0, {0xC1, 5}).end();
    Track restrike;  // a restrike in track 0 of a note track 1 ends at the same tick
    restrike.at(96, {0x90, 60, 100}).at(96, {0x80, 60, 0}).end();
    Track ender;
    ender.at(0, {0x90, 60, 90}).at(96, {0x80, 60, 0}).end();
    Track unmatched;  // a note-off with nothing sounding on its key stays after the note-on
    unmatched.at(96, {0x81, 61, 0}).end();
    Track struck;
    struck.at(96, {0x91, 61, 100}).at(96, {0x81, 61, 0}).end();
    const std::vector<std::pair<std::vector<Track>, std::vector<std::string>>> cases = {
        {{t0, t1},
         {"0:144:60", "96:128:60", "96:144:60", "96:144:64", "96:128:64", "96:177:7", "96:193:5",
          "192:128:60"}},
        {{restrike, ender}, {"0:144:60", "96:128:60", "96:144:60", "192:128:60"}},
        {{struck, unmatched}, {"96:145:61", "96:129:61", "192:129:61"}},
    };
    Song song;
    for (const auto& [tracks, expected] : cases) {
        ASSERT_EQ(read(test::smf(1, 96, tracks), song), SequencerError::None);
        EXPECT_EQ(channelEvents(song), expected);
    }
    // Several keys restruck at one tick, one of them sounding twice: each key's note-offs
    // go, in file order, right before that key's note-on.
    Track t4;
    t4.at(0, {0x90, 60, 100})
        .at(0, {0x90, 60, 100})
        .at(0, {0x90, 62, 100})
        .at(96, {0x90, 60, 100})
        .at(0, {0x90, 62, 100})
        .at(0, {0x80, 62, 0})
        .at(0, {0x80, 60, 1})
        .at(0, {0x80, 60, 2})
        .at(96, {0x80, 60, 0})
        .at(0, {0x80, 62, 0})
        .end();
    ASSERT_EQ(read(test::smf(0, 96, {t4}), song), SequencerError::None);
    std::vector<std::string> at96;
    for (const SongEvent& e : song.events) {
        if (e.tick == 96) {
            at96.push_back(std::to_string(e.status) + ":" + std::to_string(e.data1) + ":" +
                           std::to_string(e.data2));
        }
    }
    EXPECT_EQ(at96, (std::vector<std::string>{"128:60:1", "128:60:2", "144:60:100", "128:62:0",
                                              "144:62:100"}));
}

TEST(SmfReader, SysExFormsBecomeCompleteMessages) {
    Track t;
    t.at(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7})  // complete
        .at(10, {0xF0, 0x03, 0x43, 0x10, 0x4C})          // first packet ...
        .at(5, {0xFF, 0x01, 0x01, 'x'})                  // (a meta event in between)
        .at(5, {0xF7, 0x02, 0x00, 0x00})                 // ... continuation ...
        .at(5, {0xF7, 0x02, 0x7E, 0xF7})                 // ... last packet
        .at(10, {0xF7, 0x03, 0x90, 0x3C, 0x40})          // escape holding a note-on
        .at(10, {0xF0, 0x02, 0x41, 0x10})                // never finished
        .at(0, {0x80, 0x3C, 0x00})
        .end();
    Song song;
    ASSERT_EQ(read(test::smf(0, 96, {t}), song), SequencerError::None);
    std::vector<std::pair<std::uint32_t, ByteVector>> sysEx;
    for (const SongEvent& e : song.events) {
        if (e.isSysEx()) {
            const auto b = song.blobBytes(e);
            sysEx.emplace_back(e.tick, ByteVector(b.begin(), b.end()));
        }
    }
    ASSERT_EQ(sysEx.size(), 3u);
    EXPECT_EQ(sysEx[0], (std::pair{0u, ByteVector{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}));
    EXPECT_EQ(sysEx[1],
              (std::pair{10u, ByteVector{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0xF7}}));
    EXPECT_EQ(sysEx[2], (std::pair{45u, ByteVector{0xF0, 0x41, 0x10, 0xF7}}));
    EXPECT_EQ(noteOnKeys(song), std::vector<int>{0x3C});
    EXPECT_TRUE(song.damage & kDamageUnfinishedSysEx);
}

TEST(SmfReader, MetaEventsAreKeptAndTempoEventsBuildTheMap) {
    Track t;
    t.at(0, {0xFF, 0x03, 0x04, 'S', 'o', 'n', 'g'})
        .at(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8})
        .tempo(0, 1000000)                      // 60 per minute
        .tempo(96, 250000)                      // 240 per minute after one second
        .at(0, {0xFF, 0x51, 0x02, 0x01, 0x02})  // too short: ignored
        .end(96);
    Song song;
    ASSERT_EQ(read(test::smf(0, 96, {t}), song), SequencerError::None);
    ASSERT_FALSE(song.events.empty());
    EXPECT_TRUE(song.events[0].isMeta());
    EXPECT_EQ(song.events[0].data1, 0x03);
    const auto name = song.blobBytes(song.events[0]);
    EXPECT_EQ(std::string(name.begin(), name.end()), "Song");
    EXPECT_EQ(song.lengthNs(), 1'250'000'000);
}

TEST(SmfReader, RmidWrapperAndJunkBeforeTheHeaderAreLookedThrough) {
    Track t;
    t.at(0, {0x90, 60, 100}).at(96, {0x80, 60, 0}).end();
    const ByteVector plain = test::smf(0, 96, {t});
    ByteVector riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'};
    // An odd-sized chunk before the data chunk, padded to even length.
    const ByteVector info = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    riff.insert(riff.end(), info.begin(), info.end());
    const ByteVector data = {'d', 'a', 't', 'a', static_cast<std::uint8_t>(plain.size()), 0, 0, 0};
    riff.insert(riff.end(), data.begin(), data.end());
    riff.insert(riff.end(), plain.begin(), plain.end());
    Song a;
    Song b;
    ASSERT_EQ(read(plain, a), SequencerError::None);
    ASSERT_EQ(read(riff, b), SequencerError::None);
    EXPECT_EQ(channelEvents(a), channelEvents(b));

    ByteVector prefixed(128, 0);
    prefixed.insert(prefixed.end(), plain.begin(), plain.end());
    Song c;
    ASSERT_EQ(read(prefixed, c), SequencerError::None);
    EXPECT_EQ(channelEvents(a), channelEvents(c));
}

TEST(SmfReader, DamagedTracksGiveWhatCanBeRead) {
    Song song;
    // A delta time of five bytes ends the track; what came before stays.
    Track badVlq;
    badVlq.at(0, {0x90, 60, 100}).raw({0x81, 0x80, 0x80, 0x80, 0x00, 0x80, 60, 0});
    ASSERT_EQ(read(test::smf(0, 96, {badVlq}), song), SequencerError::None);
    EXPECT_EQ(noteOnKeys(song), std::vector<int>{60});
    EXPECT_TRUE(song.damage & kDamageBadVlq);

    // Data bytes before any status byte.
    Track noStatus;
    noStatus.at(0, {60, 100}).end();
    ASSERT_EQ(read(test::smf(0, 96, {noStatus}), song), SequencerError::None);
    EXPECT_TRUE(song.events.empty());
    EXPECT_TRUE(song.damage & kDamageNoRunningStatus);

    // A first track whose length field is absurd: the second track is still found.
    Track first;
    first.at(0, {0x90, 60, 100}).at(96, {0x80, 60, 0}).end();
    Track second;
    second.at(0, {0x91, 62, 100}).at(96, {0x81, 62, 0}).end();
    ByteVector bytes = test::smf(1, 96, {first, second});
    bytes[18] = 0x7F;  // length of the first track
    ASSERT_EQ(read(bytes, song), SequencerError::None);
    EXPECT_EQ(noteOnKeys(song), (std::vector<int>{60, 62}));

    // A track without End of Track, cut in the middle of a message.
    Track cut;
    cut.at(0, {0x90, 60, 100}).at(96, {0x80, 60});
    ASSERT_EQ(read(test::smf(0, 96, {cut}), song), SequencerError::None);
    EXPECT_EQ(noteOnKeys(song), std::vector<int>{60});
    EXPECT_EQ(song.endTick, 0u);
    EXPECT_TRUE(song.damage & kDamageTruncatedTrack);

    // The header announces far more tracks than there are.
    ByteVector many = test::smf(1, 96, {first});
    many[10] = 0xFF;
    many[11] = 0xFF;
    ASSERT_EQ(read(many, song), SequencerError::None);
    EXPECT_EQ(song.trackChunks, 1);
    EXPECT_TRUE(song.damage & kDamageTrackCount);
}

TEST(SmfReader, TrackChunksBeyondTheLimitAreNotRead) {
    ByteVector bytes = test::smfHeader(1, 0xFFFF, 96);
    const ByteVector empty = test::chunk("MTrk", Track().end().bytes());
    for (int i = 0; i < kMaxTrackChunks + 10; ++i) {
        bytes.insert(bytes.end(), empty.begin(), empty.end());
    }
    Song song;
    ASSERT_EQ(read(bytes, song), SequencerError::None);
    EXPECT_EQ(song.trackChunks, kMaxTrackChunks);
}

TEST(SmfReader, SurvivesArbitraryBytes) {
    std::mt19937 rng(1234);
    ByteVector valid = fileBytes("2-tracks-type-1.mid");
    Song song;
    for (int round = 0; round < 3000; ++round) {
        ByteVector bytes = valid;
        if (round % 3 == 0) {
            bytes.resize(rng() % 600);
            for (auto& b : bytes) {
                b = static_cast<std::uint8_t>(rng());
            }
            if (bytes.size() >= 4 && round % 2 == 0) {
                std::copy_n("MThd", 4, bytes.begin());
            }
        } else {
            const int flips = 1 + static_cast<int>(rng() % 8);
            for (int i = 0; i < flips; ++i) {
                bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
            }
            bytes.resize(bytes.size() - rng() % 40);
        }
        const SequencerError rc = read(bytes, song);
        if (rc == SequencerError::None) {
            // Whatever was read is in time order and within the song.
            for (std::size_t i = 1; i < song.events.size(); ++i) {
                ASSERT_LE(song.events[i - 1].tick, song.events[i].tick);
            }
            ASSERT_TRUE(song.events.empty() || song.events.back().tick <= song.endTick);
        }
    }
}

TEST(SmfReader, TwoMillionNoteEventsFitInSixteenBytesEach) {
    // Format 1, 16 tracks of 125 000 notes (on and off) each.
    std::vector<Track> tracks(16);
    for (int ch = 0; ch < 16; ++ch) {
        Track& t = tracks[static_cast<std::size_t>(ch)];
        t.tempo(0, 400000);
        t.at(0, {0x90 | ch, 60, 100});
        for (int n = 1; n < 62500; ++n) {
            t.at(12, {60 + (n - 1) % 12, 0}).at(0, {60 + n % 12, 100});
        }
        t.at(12, {60 + 62499 % 12, 0}).end();
    }
    Song song;
    ASSERT_EQ(read(test::smf(1, 480, tracks), song), SequencerError::None);
    std::size_t notes = 0;
    for (const SongEvent& e : song.events) {
        notes += e.isChannel() ? 1 : 0;
    }
    EXPECT_EQ(notes, 2'000'000u);
    EXPECT_LE(song.residentBytes(), 16 * song.events.size());
    EXPECT_EQ(song.damage, kDamageNone);
}

}  // namespace
}  // namespace vesk::sequencer
