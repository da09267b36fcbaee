// A song file deleted or cut short while it plays: the song was read whole at its open,
// so it plays on to its end; the next song plays, and the list goes on past the missing one.
#include <gtest/gtest.h>

#include <QFile>

#include "player/player_rig.h"

namespace vesk::player::test {
namespace {

// The note-on messages the output was sent so far.
int noteOns(const PlayerRig& rig) {
    int count = 0;
    for (const auto& m : rig.output.messages()) {
        if (!m.longMessage && !m.bytes.empty() && (m.bytes[0] & 0xF0) == 0x90) {
            ++count;
        }
    }
    return count;
}

TEST(SongRemovedWhilePlaying, PlaysOnEndsCleanlyAndTheNextSongPlays) {
    PlayerRig rig;
    const QString a = rig.addSong("a.mid", "A", 3000);
    const QString b = rig.addSong("b.mid", "B", 3000);
    const QString c = rig.addSong("c.mid", "C", 3000);
    Player& p = *rig.player;
    p.updateList(-1);
    p.repeatCommand(0);
    p.playEntry(0);
    rig.run(1000);
    ASSERT_EQ(rig.engine.status(), "playing");
    const int notesBefore = noteOns(rig);

    ASSERT_TRUE(QFile::remove(a));
    rig.run(1000);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(rig.engine.fileName(), a);
    // On to the end of the first song and into the second.
    for (int i = 0; i < 40 && rig.engine.fileName() == a; ++i) {
        rig.run(250);
    }
    ASSERT_EQ(rig.engine.fileName(), b);
    EXPECT_EQ(rig.engine.status(), "playing");

    // Cut to a bare header while it plays: it still plays from what was read.
    {
        QFile file(b);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(14));
    }
    rig.run(1000);
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_GT(noteOns(rig), notesBefore) << "the second song sounded";
    p.transportStop();
    EXPECT_EQ(rig.engine.status(), "stopped");

    p.playEntry(2);
    rig.run(500);
    EXPECT_EQ(rig.engine.fileName(), c);
    EXPECT_EQ(rig.engine.status(), "playing");
    rig.engine.midiClose();
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
}

TEST(SongRemovedWhilePlaying, ABrokenNextSongHoldsTheListUntilTheUserMovesOn) {
    PlayerRig rig;
    const QString a = rig.addSong("a.mid", "A", 1000);
    const QString b = rig.addSong("b.mid", "B", 1000);
    const QString c = rig.addSong("c.mid", "C", 1000);
    Player& p = *rig.player;
    p.updateList(-1);
    p.repeatCommand(2);
    p.playEntry(0);
    rig.run(500);
    ASSERT_TRUE(QFile::remove(a));
    {
        QFile file(b);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(20));
    }
    // The first song ends, the broken one cannot open: with no session the sequencer never
    // reports "stopped", so the list waits there (no loop of retries, no flood of messages).
    rig.run(30000);
    EXPECT_EQ(rig.view.named("select"), (QStringList{"0", "1"}));
    EXPECT_EQ(p.state().currentEntry, 1);
    EXPECT_EQ(rig.engine.status(), "");
    EXPECT_LE(rig.interaction.shown.size(), 1u);

    p.transportNext();
    rig.run(500);
    EXPECT_EQ(rig.engine.fileName(), c);
    EXPECT_EQ(rig.engine.status(), "playing");
    // Coming round to the deleted first song holds the list the same way.
    rig.run(5000);
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(rig.engine.status(), "");
    EXPECT_LE(rig.interaction.shown.size(), 2u);
    p.transportStop();
    rig.engine.midiClose();
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
}

}  // namespace
}  // namespace vesk::player::test
