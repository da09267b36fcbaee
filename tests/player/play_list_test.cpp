#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "player/play_list.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

void addEntries(Player& player, const QStringList& titles) {
    for (const QString& title : titles) {
        player.state().playList.push_back(intake::SongEntry{title + ".mid", "/songs", title});
    }
    player.updateList(-1);
}

TEST(ListTextTest, NumbersHaveThreeDigitsUntilTheThousandthEntry) {
    EXPECT_EQ(listLine(0, "Song"), QStringLiteral("001：Song"));
    EXPECT_EQ(listLine(9, "x"), QStringLiteral("010：x"));
    EXPECT_EQ(listLine(98, "x"), QStringLiteral("099：x"));
    EXPECT_EQ(listLine(99, "x"), QStringLiteral("100：x"));
    EXPECT_EQ(listLine(999, "x"), QStringLiteral("1000：x"));
}

TEST(ListTextTest, LongTitlesAreCutToFiftySixBytesWithoutSplittingACharacter) {
    EXPECT_EQ(shortTitle(QString(56, u'a')), QString(56, u'a'));
    EXPECT_EQ(shortTitle(QString(57, u'b')), QString(53, u'b') + "...");
    // Half-width katakana take one byte each.
    EXPECT_EQ(shortTitle(QString(57, QChar(0xFF71))), QString(53, QChar(0xFF71)) + "...");
    // 30 kanji, 60 bytes: byte 54 ends the 27th.
    EXPECT_EQ(shortTitle(QString(30, QChar(0x66F2))), QString(27, QChar(0x66F2)) + "..");
    // One ASCII letter first: byte 54 starts the 27th kanji, so 53 bytes are kept.
    const QString cut = shortTitle("A" + QString(29, QChar(0x97F3)));
    EXPECT_EQ(cut, "A" + QString(26, QChar(0x97F3)) + "...");
    EXPECT_EQ(platform::cp932ByteLength(cut), 56);
    const QString japanese =
        QStringLiteral("夜明けのメロディー（ピアノ・ソロ版）～第一楽章～ＧＳ音源用データ");
    EXPECT_EQ(shortTitle(japanese), japanese.left(27) + "..");
    // A character outside the code page counts two and is never split.
    const QString face = QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(shortTitle(QString(52, u'x') + face + "tail"), QString(52, u'x') + face + "..");
    EXPECT_EQ(shortTitle(QString(53, u'x') + face + "tail"), QString(53, u'x') + "...");
}

TEST(AppendEntriesTest, FillsTheListToItsLimitShowsTheNewLinesAndSaysWhatWasLeftOut) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"One"});
    p.appendEntries({{"a.mid", "/new", "A"}, {"b.mid", "/new", "B"}});
    EXPECT_EQ(rig.view.lines, (QStringList{"001：One", "002：A", "003：B"}));
    EXPECT_TRUE(p.mainWindow().canNext);
    EXPECT_TRUE(rig.interaction.shown.empty());

    // Two places left and three songs: the first two go in, the third is reported.
    const std::size_t last = kMaxEntries - 2;
    p.state().playList.resize(last, intake::SongEntry{"x.mid", "/songs", "X"});
    p.appendEntries({{"c.mid", "/new", "C"}, {"d.mid", "/new", "D"}, {"e.mid", "/new", "E"}});
    ASSERT_EQ(p.state().playList.size(), std::size_t{kMaxEntries});
    EXPECT_EQ(p.state().playList.back().title, "D");
    // Only the lines of the new entries are added to what the display shows.
    EXPECT_EQ(rig.view.lines.size(), 5);
    EXPECT_EQ(rig.view.lines.back(), "32767：D");
    ASSERT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_TRUE(rig.interaction.shown[0].text.contains("32767"));

    // A full list takes nothing more, in tray mode as well, and says so again.
    RecordingView tray;
    p.enterTray(tray);
    p.appendEntries({{"f.mid", "/new", "F"}});
    EXPECT_EQ(p.state().playList.size(), std::size_t{kMaxEntries});
    EXPECT_EQ(rig.interaction.shown.size(), 2u);
}

TEST(UpDateListTest, RebuildsOrAppendsAndSetsTheEnableFlags) {
    PlayerRig rig;
    Player& p = *rig.player;
    const MainWindowState& w = p.mainWindow();
    p.updateList(-1);
    EXPECT_TRUE(rig.view.lines.isEmpty());
    EXPECT_FALSE(w.canPlay || w.canPause || w.canStop || w.canPrev || w.canNext || w.canBack ||
                 w.canDelete);
    addEntries(p, {"One"});
    EXPECT_TRUE(w.canPlay && w.canPause && w.canStop && w.canPrev && w.canDelete);
    EXPECT_FALSE(w.canNext || w.canBack);

    addEntries(p, {"Two", "Three", "Four", "Five"});
    EXPECT_TRUE(w.canNext && w.canBack);
    rig.view.calls.clear();
    p.state().playList.push_back({"6.mid", "/songs", "Six"});
    p.state().playList.push_back({"7.mid", "/songs", "Seven"});
    p.updateList(4);
    EXPECT_EQ(rig.view.calls, QStringList({"append:006：Six", "append:007：Seven"}));
    EXPECT_EQ(rig.view.lines.size(), 7);
}

TEST(SwapEntriesTest, TheCurrentEntryFollowsItsSongUnlessKept) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C"});
    p.state().currentEntry = 1;
    p.swapEntries(1, 0, false);
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(rig.view.named("caption"), QStringList({"[001/003] B - VESK MIDI PLAYER"}));
    p.swapEntries(1, 2, false);
    p.swapEntries(0, 2, true);
    p.swapEntries(0, 3, false);
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(p.state().playList[0].title, QStringLiteral("A"));
    EXPECT_EQ(rig.view.named("caption").size(), 1);
}

TEST(DeleteEntryTest, RemainingLinesAreRenumberedAndTheCaptionKeepsTheSong) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C", "D", "E"});
    p.state().currentEntry = 3;
    p.deleteEntry(1);
    EXPECT_EQ(rig.view.lines, QStringList({"001：A", "002：C", "003：D", "004：E"}));
    EXPECT_EQ(p.state().currentEntry, 2);
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("[003/004] D - VESK MIDI PLAYER"));
    p.deleteEntry(3);
    p.deleteEntry(7);
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("[003/003] D - VESK MIDI PLAYER"));

    // The current song itself: playback stops and the caption names no song.
    p.state().playRequested = true;
    p.deleteEntry(2);
    EXPECT_FALSE(p.state().playRequested);
    EXPECT_EQ(rig.view.named("status").last(), QStringLiteral("STOP"));
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("VESK MIDI PLAYER"));
    p.deleteEntry(1);
    EXPECT_FALSE(p.mainWindow().canNext);
    p.deleteEntry(0);
    EXPECT_TRUE(rig.view.lines.isEmpty());
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("VESK MIDI PLAYER"));
}

TEST(DeleteEntryTest, TheShuffleOrderAndItsPositionKeepNamingTheSameSongs) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C", "D"});
    rig.settings.repeat = 3;
    p.state().shuffleOrder = {2, 0, 3, 1};
    p.state().playOrderPos = 2;  // D
    p.deleteEntry(0);
    EXPECT_EQ(p.state().shuffleOrder, (std::vector<std::int16_t>{1, 2, 0}));
    EXPECT_EQ(p.state().playOrderPos, 1);
}

}  // namespace
}  // namespace vesk::player::test
