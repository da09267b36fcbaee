// A song long enough for its time to saturate: many ticks then share the last time, and
// mapping that time back to a tick walked them one by one (tens of seconds for one call).

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "sequencer/sequencer_errors.h"
#include "sequencer/smf_reader.h"

namespace vesk::test {
namespace {

QByteArray vlq(quint32 value) {
    QByteArray out(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) {
        out.prepend(static_cast<char>((value & 0x7F) | 0x80));
    }
    return out;
}

TEST(TempoRegression, ASaturatedSongTimeMapsBackToTheFirstTickThatReachesIt) {
    // One tick per quarter at the slowest tempo: 16.8 s a tick, so three of the longest
    // delta times pass the 292 years a signed 64-bit count of nanoseconds holds; six more
    // put two billion ticks at that one time.
    const QByteArray slowest("\xFF\x51\x03\xFF\xFF\xFF", 6);
    QByteArray track = vlq(0) + slowest;
    for (int i = 0; i < 9; ++i) {
        track += vlq(0x0FFFFFFF) + QByteArray("\x90\x3C\x64", 3);
    }
    track += vlq(0) + slowest + vlq(0x0FFFFFFF) + QByteArray("\xFF\x2F\x00", 3);
    const QByteArray file =
        QByteArray("MThd\0\0\0\x06\0\0\0\x01\0\x01MTrk", 18) +
        QByteArray::fromHex(QByteArray::number(track.size(), 16).rightJustified(8, '0')) + track;
    sequencer::Song song;
    ASSERT_EQ(sequencer::readSmf(std::span(reinterpret_cast<const std::uint8_t*>(file.data()),
                                           static_cast<std::size_t>(file.size())),
                                 song),
              sequencer::SequencerError::None);
    const std::int64_t length = song.lengthNs();
    ASSERT_EQ(length, song.tempo.nsAt(song.endTick));

    QElapsedTimer timer;
    timer.start();
    const std::uint32_t tick = song.tempo.firstTickAtOrAfter(length);
    // Microseconds when it searches; the walk took over ten seconds.
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_LT(tick, song.endTick) << "the time saturated before the end";
    EXPECT_GE(song.tempo.nsAt(tick), length);
    EXPECT_LT(song.tempo.nsAt(tick - 1), length);
}

}  // namespace
}  // namespace vesk::test
