#include <gtest/gtest.h>

#include "player/player_rig.h"

namespace vesk::player {
namespace {

using namespace test;
using vesk::test::Track;

// 480 ticks per quarter at 120 per minute: an intro of 1 s, then a loop of 2 s marked by
// controller 111 that runs to the song's end at 3 s.
QByteArray loopedSong() {
    Track t;
    t.at(0, {0x90, 60, 100}).at(960, {0x80, 60, 0});
    t.at(0, {0xB0, 111, 0}).at(0, {0x90, 72, 100}).at(960, {0x80, 72, 0}).end(960);
    return vesk::test::toQByteArray(vesk::test::smf(0, 480, {t}));
}

TEST(LoopChoice, TheTotalTimeIsThePlayedLengthAndTheClockStaysWithinIt) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.dir.write("songs/loop.mid", loopedSong());
    p.state().playList.push_back(intake::SongEntry{"loop.mid", rig.dir.path() + "/songs", "L"});
    p.repeatCommand(0);
    p.playEntry(0);
    EXPECT_EQ(rig.view.named("total").last(), QStringLiteral("00:03"));
    // Repeat one song: intro, two passes of the loop, five seconds of fade.
    p.repeatCommand(1);
    EXPECT_EQ(rig.view.named("total").last(), QStringLiteral("00:10"));
    p.loopsCommand(1);
    EXPECT_EQ(rig.view.named("total").last(), QStringLiteral("00:08"));
    p.loopsCommand(0);
    EXPECT_EQ(rig.view.named("total").last(), QStringLiteral("00:03"));
    p.repeatCommand(2);
    p.loopsCommand(3);
    EXPECT_EQ(rig.view.named("total").last(), QStringLiteral("00:03"));
    p.loopAlwaysCommand();
    EXPECT_EQ(rig.view.named("total").last(), QStringLiteral("00:12"));
    EXPECT_TRUE(rig.settings.loopAlways);
    EXPECT_EQ(rig.settings.loops, 3);

    // Played through with one song repeating: the clock climbs to the played length, never
    // past it, and the song starts again instead of the list moving on.
    p.loopAlwaysCommand();
    p.loopsCommand(1);
    p.repeatCommand(1);
    p.playEntry(0);
    rig.run(11000);
    const QStringList now = rig.view.named("now");
    EXPECT_TRUE(now.contains(QStringLiteral("00:07")));
    for (const QString& shown : now) {
        EXPECT_LE(shown, QStringLiteral("00:08"));
    }
    EXPECT_LE(rig.view.barWidth, rig.view.positionBarRange());
    const qsizetype atEnd = now.lastIndexOf(QStringLiteral("00:07"));
    ASSERT_GE(atEnd, 0);
    EXPECT_TRUE(now.indexOf(QStringLiteral("00:00"), atEnd) > atEnd ||
                now.indexOf(QStringLiteral("00:01"), atEnd) > atEnd)
        << now.join(' ').toStdString();
}

}  // namespace
}  // namespace vesk::player
