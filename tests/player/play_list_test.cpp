#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "player/play_list.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

void addEntries(Player& player, const QStringList& titles) {
    for (const QString& title : titles) {
        player.state().PlayList.push_back(intake::SongEntry{title + ".mid", "/songs", title});
    }
    player.UpDate_List(-1);
}

TEST(ListTextTest, NumbersHaveThreeDigitsUntilTheThousandthEntry) {
    EXPECT_EQ(ListLine(0, "Song"), QStringLiteral("001：Song"));
    EXPECT_EQ(ListLine(9, "x"), QStringLiteral("010：x"));
    EXPECT_EQ(ListLine(98, "x"), QStringLiteral("099：x"));
    EXPECT_EQ(ListLine(99, "x"), QStringLiteral("100：x"));
    EXPECT_EQ(ListLine(999, "x"), QStringLiteral("1000：x"));
}

TEST(ListTextTest, LongTitlesAreCutToFiftySixBytesWithoutSplittingACharacter) {
    EXPECT_EQ(ShortTitle(QString(56, u'a')), QString(56, u'a'));
    EXPECT_EQ(ShortTitle(QString(57, u'b')), QString(53, u'b') + "...");
    // Half-width katakana take one byte each.
    EXPECT_EQ(ShortTitle(QString(57, QChar(0xFF71))), QString(53, QChar(0xFF71)) + "...");
    // 30 kanji, 60 bytes: byte 54 ends the 27th.
    EXPECT_EQ(ShortTitle(QString(30, QChar(0x66F2))), QString(27, QChar(0x66F2)) + "..");
    // One ASCII letter first: byte 54 starts the 27th kanji, so 53 bytes are kept.
    const QString cut = ShortTitle("A" + QString(29, QChar(0x97F3)));
    EXPECT_EQ(cut, "A" + QString(26, QChar(0x97F3)) + "...");
    EXPECT_EQ(platform::cp932ByteLength(cut), 56);
    const QString japanese =
        QStringLiteral("夜明けのメロディー（ピアノ・ソロ版）～第一楽章～ＧＳ音源用データ");
    EXPECT_EQ(ShortTitle(japanese), japanese.left(27) + "..");
    // A character outside the code page counts two and is never split.
    const QString face = QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(ShortTitle(QString(52, u'x') + face + "tail"), QString(52, u'x') + face + "..");
    EXPECT_EQ(ShortTitle(QString(53, u'x') + face + "tail"), QString(53, u'x') + "...");
}

TEST(UpDateListTest, RebuildsOrAppendsAndSetsTheEnableFlags) {
    PlayerRig rig;
    Player& p = *rig.player;
    const MainWindowState& w = p.mainWindow();
    p.UpDate_List(-1);
    EXPECT_TRUE(rig.view.lines.isEmpty());
    EXPECT_FALSE(w.CanPlay || w.CanPause || w.CanStop || w.CanPrev || w.CanNext || w.CanBack ||
                 w.CanDelete);
    addEntries(p, {"One"});
    EXPECT_TRUE(w.CanPlay && w.CanPause && w.CanStop && w.CanPrev && w.CanDelete);
    EXPECT_FALSE(w.CanNext || w.CanBack);

    addEntries(p, {"Two", "Three", "Four", "Five"});
    EXPECT_TRUE(w.CanNext && w.CanBack);
    rig.view.calls.clear();
    p.state().PlayList.push_back({"6.mid", "/songs", "Six"});
    p.state().PlayList.push_back({"7.mid", "/songs", "Seven"});
    p.UpDate_List(4);
    EXPECT_EQ(rig.view.calls, QStringList({"append:006：Six", "append:007：Seven"}));
    EXPECT_EQ(rig.view.lines.size(), 7);
}

TEST(SwapEntriesTest, TheCurrentEntryFollowsItsSongUnlessKept) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C"});
    p.state().CurrentEntry = 1;
    p.SwapEntries(1, 0, false);
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_EQ(rig.view.named("caption"), QStringList({"[001/003] B - VESK MIDI PLAYER"}));
    p.SwapEntries(1, 2, false);
    p.SwapEntries(0, 2, true);
    p.SwapEntries(0, 3, false);
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_EQ(p.state().PlayList[0].Title, QStringLiteral("A"));
    EXPECT_EQ(rig.view.named("caption").size(), 1);
}

TEST(DeleteEntryTest, RemainingLinesAreRenumberedAndTheCaptionKeepsTheSong) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C", "D", "E"});
    p.state().CurrentEntry = 3;
    p.DeleteEntry(1);
    EXPECT_EQ(rig.view.lines, QStringList({"001：A", "002：C", "003：D", "004：E"}));
    EXPECT_EQ(p.state().CurrentEntry, 2);
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("[003/004] D - VESK MIDI PLAYER"));
    p.DeleteEntry(3);
    p.DeleteEntry(7);
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("[003/003] D - VESK MIDI PLAYER"));

    // The current song itself: playback stops and the caption names no song.
    p.state().PlayRequested = true;
    p.DeleteEntry(2);
    EXPECT_FALSE(p.state().PlayRequested);
    EXPECT_EQ(rig.view.named("status").last(), QStringLiteral("STOP"));
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("VESK MIDI PLAYER"));
    p.DeleteEntry(1);
    EXPECT_FALSE(p.mainWindow().CanNext);
    p.DeleteEntry(0);
    EXPECT_TRUE(rig.view.lines.isEmpty());
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("VESK MIDI PLAYER"));
}

TEST(DeleteEntryTest, TheShuffleOrderAndItsPositionKeepNamingTheSameSongs) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C", "D"});
    rig.settings.Repeat = 3;
    p.state().ShuffleOrder = {2, 0, 3, 1};
    p.state().PlayOrderPos = 2;  // D
    p.DeleteEntry(0);
    EXPECT_EQ(p.state().ShuffleOrder, (std::vector<std::int16_t>{1, 2, 0}));
    EXPECT_EQ(p.state().PlayOrderPos, 1);
}

}  // namespace
}  // namespace vesk::player::test
