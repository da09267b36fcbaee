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
}

TEST(ListLineTest, NumbersHaveThreeDigitsUntilTheThousandthEntry) {
    EXPECT_EQ(ListLine(0, "Song"), QStringLiteral("001：Song"));
    EXPECT_EQ(ListLine(8, "x"), QStringLiteral("009：x"));
    EXPECT_EQ(ListLine(9, "x"), QStringLiteral("010：x"));
    EXPECT_EQ(ListLine(98, "x"), QStringLiteral("099：x"));
    EXPECT_EQ(ListLine(99, "x"), QStringLiteral("100：x"));
    EXPECT_EQ(ListLine(998, "x"), QStringLiteral("999：x"));
    EXPECT_EQ(ListLine(999, "x"), QStringLiteral("1000：x"));
    EXPECT_EQ(ListLine(12345, ""), QStringLiteral("12346："));
}

TEST(ShortTitleTest, SingleByteTitlesAreCutAtFiftyThreeBytes) {
    const QString exact(56, u'a');
    EXPECT_EQ(ShortTitle(exact), exact);
    const QString longer = QString(53, u'b') + "cdef";
    EXPECT_EQ(ShortTitle(longer), QString(53, u'b') + "...");
    // Half-width katakana take one byte each.
    const QString kana(56, QChar(0xFF71));
    EXPECT_EQ(ShortTitle(kana), kana);
    EXPECT_EQ(ShortTitle(kana + QChar(0xFF72)), QString(53, QChar(0xFF71)) + "...");
    EXPECT_EQ(ShortTitle(QString()), QString());
}

TEST(ShortTitleTest, DoubleByteCharactersAreNeverSplit) {
    // 30 kanji, 60 bytes: byte 54 ends the 27th.
    const QString kanji = QString(30, QChar(0x66F2));
    EXPECT_EQ(ShortTitle(kanji), QString(27, QChar(0x66F2)) + "..");
    EXPECT_EQ(platform::cp932ByteLength(ShortTitle(kanji)), 56);

    // One ASCII letter first: byte 54 starts the 27th kanji, so 53 bytes are kept.
    const QString shifted = "A" + QString(29, QChar(0x97F3));
    const QString cut = ShortTitle(shifted);
    EXPECT_EQ(cut, "A" + QString(26, QChar(0x97F3)) + "...");
    EXPECT_EQ(platform::cp932ByteLength(cut), 56);

    const QString japanese =
        QStringLiteral("夜明けのメロディー（ピアノ・ソロ版）～第一楽章～ＧＳ音源用データ");
    ASSERT_EQ(platform::cp932ByteLength(japanese), 64);
    EXPECT_EQ(ShortTitle(japanese), japanese.left(27) + "..");
}

TEST(ShortTitleTest, CharactersOutsideTheCodePageCountTwoAndStayWhole) {
    const QString face = QString::fromUcs4(U"\U0001F600");
    const QString ends = QString(52, u'x') + face + "tail";
    EXPECT_EQ(ShortTitle(ends), QString(52, u'x') + face + "..");
    const QString starts = QString(53, u'x') + face + "tail";
    EXPECT_EQ(ShortTitle(starts), QString(53, u'x') + "...");
}

TEST(SongCaptionTest, NamesTheEntryOrOnlyTheApplication) {
    EXPECT_EQ(SongCaption(2, 11, "Song", "VESK MIDI PLAYER"),
              QStringLiteral("[003/012] Song - VESK MIDI PLAYER"));
    EXPECT_EQ(SongCaption(-1, 11, "Song", "VESK"), QStringLiteral("VESK"));
    EXPECT_EQ(SongCaption(12, 11, "Song", "VESK"), QStringLiteral("VESK"));
    EXPECT_EQ(SongCaption(0, -1, "", "VESK"), QStringLiteral("VESK"));
}

TEST(UpDateListTest, RebuildsOrAppendsAndSetsTheEnableFlags) {
    PlayerRig rig;
    Player& p = *rig.player;
    p.UpDate_List(-1);
    EXPECT_TRUE(rig.view.lines.isEmpty());
    const MainWindowState& w = p.mainWindow();
    EXPECT_FALSE(w.CanPlay || w.CanPause || w.CanStop || w.CanPrev || w.CanNext || w.CanBack ||
                 w.CanDelete);

    addEntries(p, {"One"});
    p.UpDate_List(-1);
    EXPECT_TRUE(w.CanPlay && w.CanPause && w.CanStop && w.CanPrev && w.CanDelete);
    EXPECT_FALSE(w.CanNext || w.CanBack);

    addEntries(p, {"Two", "Three", "Four", "Five"});
    p.UpDate_List(-1);
    EXPECT_TRUE(w.CanNext && w.CanBack);
    rig.view.calls.clear();
    addEntries(p, {"Six", "Seven"});
    p.UpDate_List(4);
    EXPECT_EQ(rig.view.calls, QStringList({"append:006：Six", "append:007：Seven"}));
    EXPECT_EQ(rig.view.lines.size(), 7);
    EXPECT_EQ(rig.view.lines[0], QStringLiteral("001：One"));
}

TEST(SwapEntriesTest, TheCurrentEntryFollowsItsSongUnlessKept) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C"});
    p.state().CurrentEntry = 1;
    p.SwapEntries(1, 0, false);
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_EQ(p.state().PlayList[0].Title, QStringLiteral("B"));
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("[001/003] B - VESK MIDI PLAYER"));

    rig.view.calls.clear();
    p.SwapEntries(1, 2, false);
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_TRUE(rig.view.named("caption").isEmpty());

    p.SwapEntries(0, 2, true);
    EXPECT_EQ(p.state().CurrentEntry, 0);
    EXPECT_EQ(p.state().PlayList[0].Title, QStringLiteral("A"));
    EXPECT_TRUE(rig.view.named("caption").isEmpty());

    p.SwapEntries(0, 3, false);
    p.SwapEntries(-1, 0, false);
    EXPECT_EQ(p.state().PlayList[0].Title, QStringLiteral("A"));
}

TEST(DeleteEntryTest, RemainingLinesAreRenumberedAndTheCaptionKeepsTheSong) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C", "D", "E"});
    p.UpDate_List(-1);
    p.state().CurrentEntry = 3;
    p.DeleteEntry(1);
    EXPECT_EQ(rig.view.lines, QStringList({"001：A", "002：C", "003：D", "004：E"}));
    EXPECT_EQ(p.state().ListLast(), 3);
    EXPECT_EQ(p.state().CurrentEntry, 2);
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("[003/004] D - VESK MIDI PLAYER"));

    // After the current song: its number stays.
    p.DeleteEntry(3);
    EXPECT_EQ(p.state().CurrentEntry, 2);
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("[003/003] D - VESK MIDI PLAYER"));

    p.DeleteEntry(7);
    p.DeleteEntry(-1);
    EXPECT_EQ(rig.view.lines.size(), 3);
}

TEST(DeleteEntryTest, DeletingTheCurrentSongStopsItAndTheCaptionNamesNoSong) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B"});
    p.UpDate_List(-1);
    p.state().CurrentEntry = 1;
    p.state().PlayRequested = true;
    p.DeleteEntry(1);
    EXPECT_FALSE(p.state().PlayRequested);
    EXPECT_EQ(rig.view.named("status").last(), QStringLiteral("STOP"));
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("VESK MIDI PLAYER"));
    EXPECT_EQ(p.state().CurrentEntry, -1);
    EXPECT_FALSE(p.mainWindow().CanNext);

    p.DeleteEntry(0);
    EXPECT_EQ(p.state().ListLast(), -1);
    EXPECT_TRUE(rig.view.lines.isEmpty());
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("VESK MIDI PLAYER"));
    EXPECT_FALSE(p.mainWindow().CanPlay);
}

TEST(DeleteEntryTest, TheShuffleOrderAndItsPositionKeepNamingTheSameSongs) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C", "D"});
    p.UpDate_List(-1);
    rig.settings.Repeat = 3;
    p.state().ShuffleOrder = {2, 0, 3, 1};
    p.state().PlayOrderPos = 2;  // D
    p.state().CurrentEntry = 3;
    p.DeleteEntry(0);
    EXPECT_EQ(p.state().ShuffleOrder, (std::vector<std::int16_t>{1, 2, 0}));
    EXPECT_EQ(p.state().PlayOrderPos, 1);
    EXPECT_EQ(p.state().PlayList[p.state().ShuffleOrder[1]].Title, QStringLiteral("D"));
}

}  // namespace
}  // namespace vesk::player::test
