// Song files too big to hold or with an absurd track count: the header scan, the list's
// title and the sequencer refuse them or play them in bounded time and memory.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>

#include "intake/intake.h"
#include "player/player_rig.h"

namespace vesk::player::test {
namespace {

// The process's peak resident size so far, in kB (VmHWM), or -1 when it cannot be read.
long peakKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QRegularExpression line(R"(VmHWM:\s*(\d+)\s*kB)");
    const auto match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

QByteArray be16(int v) {
    QByteArray out;
    out.append(static_cast<char>((v >> 8) & 0xFF));
    out.append(static_cast<char>(v & 0xFF));
    return out;
}
QByteArray be32(quint32 v) {
    return be16(static_cast<int>(v >> 16)) + be16(static_cast<int>(v));
}

QByteArray header(int format, int tracks) {
    return QByteArray("MThd") + be32(6) + be16(format) + be16(tracks) + be16(480);
}

// One track: a title, a note and the end of the track.
QByteArray titledTrack() {
    const QByteArray events = QByteArray::fromHex("00FF03044269672100903C6483600080 3C0000FF2F00");
    return QByteArray("MTrk") + be32(static_cast<quint32>(events.size())) + events;
}

constexpr qint64 kHugeBytes = 300LL * 1024 * 1024;
constexpr long kMemoryBoundKb = 200L * 1024;

struct Measure {
    long peakBefore = peakKb();
    QElapsedTimer timer;
    Measure() { timer.start(); }
    void report(const char* what) {
        const long growth = peakKb() - peakBefore;
        std::printf("[ timing ] %s: %lld ms, peak memory growth %ld kB\n", what,
                    static_cast<long long>(timer.elapsed()), growth);
        ::testing::Test::RecordProperty(what, static_cast<int>(timer.elapsed()));
        EXPECT_LT(timer.elapsed(), 10000) << what;
        EXPECT_LT(growth, kMemoryBoundKb) << what;
    }
};

// Opens and plays `path` as the player does, then closes it.
void openAndPlay(PlayerRig& rig, const QString& path, const char* what) {
    Measure measure;
    const QString title = intake::songTitle(path);
    rig.player->state().playList.push_back(
        intake::SongEntry{QFileInfo(path).fileName(), QFileInfo(path).absolutePath(), title});
    rig.player->playEntry(rig.player->state().listLast());
    rig.run(2000);
    rig.player->transportStop();
    rig.engine.midiClose();
    measure.report(what);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
}

TEST(HugeSong, ThreeHundredMegabytesAreRefusedWithoutReadingThem) {
    PlayerRig rig;
    ASSERT_GE(peakKb(), 0) << "no /proc/self/status";
    // A real song followed by a sparse tail of zeros, and a track whose length claims the
    // whole file.
    const QString tail = rig.dir.write("songs/tail.mid", header(0, 1) + titledTrack());
    const QString claim = rig.dir.write(
        "songs/claim.mid", header(0, 1) + "MTrk" + be32(static_cast<quint32>(kHugeBytes - 22)));
    for (const QString& path : {tail, claim}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(kHugeBytes));
    }
    openAndPlay(rig, tail, "300 MB song with a real track");
    EXPECT_NE(rig.engine.status(), "playing");
    openAndPlay(rig, claim, "300 MB song claimed by one track");
    EXPECT_NE(rig.engine.status(), "playing");

    // The player goes on with an ordinary song afterwards.
    rig.addSong("ok.mid", "Fine", 3000);
    rig.player->playEntry(rig.player->state().listLast());
    rig.run(500);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.engine.title(), "Fine");
}

TEST(HugeSong, AbsurdTrackCountsStayBounded) {
    PlayerRig rig;
    ASSERT_GE(peakKb(), 0) << "no /proc/self/status";
    // The header promises 65535 tracks and two follow.
    const QString promised =
        rig.dir.write("songs/promised.mid", header(1, 65535) + titledTrack() + titledTrack());
    openAndPlay(rig, promised, "65535 tracks promised, 2 present");

    // 65535 tracks that really are there, each with a note.
    QByteArray many = header(1, 65535);
    const QByteArray track = titledTrack();
    many.reserve(many.size() + 65535 * track.size());
    for (int i = 0; i < 65535; ++i) {
        many += track;
    }
    const QString present = rig.dir.write("songs/many.mid", many);
    openAndPlay(rig, present, "65535 tracks present");

    rig.addSong("ok.mid", "Fine", 3000);
    rig.player->playEntry(rig.player->state().listLast());
    rig.run(500);
    EXPECT_EQ(rig.engine.status(), "playing");
}

}  // namespace
}  // namespace vesk::player::test
