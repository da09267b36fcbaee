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

TEST(ListTextTest, ThreeDigitNumbersAndTitlesCutToFiftySixBytesWithoutSplittingACharacter) {
    EXPECT_EQ(listLine(0, "Song"), QStringLiteral("001：Song"));
    EXPECT_EQ(listLine(98, "x"), QStringLiteral("099：x"));
    EXPECT_EQ(listLine(999, "x"), QStringLiteral("1000：x"));
    const QChar kana(0xFF71);  // half-width: one byte
    const QChar kanji(0x66F2);
    const QString face = QString::fromUcs4(U"\U0001F600");  // outside the code page: two
    const std::pair<QString, QString> cases[] = {
        {QString(56, u'a'), QString(56, u'a')},
        {QString(57, u'b'), QString(53, u'b') + "..."},
        {QString(57, kana), QString(53, kana) + "..."},
        // 30 kanji, 60 bytes: byte 54 ends the 27th.
        {QString(30, kanji), QString(27, kanji) + ".."},
        // One ASCII letter first: byte 54 starts the 27th kanji, so 53 bytes are kept.
        {"A" + QString(29, kanji), "A" + QString(26, kanji) + "..."},
        {QString(52, u'x') + face + "tail", QString(52, u'x') + face + ".."},
        {QString(53, u'x') + face + "tail", QString(53, u'x') + "..."},
    };
    for (const auto& [title, cut] : cases) {
        EXPECT_EQ(shortTitle(title), cut) << title.toStdString();
        EXPECT_LE(platform::cp932ByteLength(cut), 56);
    }
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
    p.state().playList.resize(kMaxEntries - 2, intake::SongEntry{"x.mid", "/songs", "X"});
    p.appendEntries({{"c.mid", "/new", "C"}, {"d.mid", "/new", "D"}, {"e.mid", "/new", "E"}});
    ASSERT_EQ(p.state().playList.size(), std::size_t{kMaxEntries});
    EXPECT_EQ(rig.view.lines.size(), 5);  // only the new entries' lines are added
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
    const auto flags = [&w] {
        return QString("%1%2%3%4%5%6%7")
            .arg(w.canPlay)
            .arg(w.canPause)
            .arg(w.canStop)
            .arg(w.canPrev)
            .arg(w.canNext)
            .arg(w.canBack)
            .arg(w.canDelete);
    };
    p.updateList(-1);
    EXPECT_EQ(flags(), "0000000");
    addEntries(p, {"One"});
    EXPECT_EQ(flags(), "1111001");
    addEntries(p, {"Two", "Three", "Four", "Five"});
    EXPECT_EQ(flags(), "1111111");
    rig.view.calls.clear();
    p.state().playList.push_back({"6.mid", "/songs", "Six"});
    p.state().playList.push_back({"7.mid", "/songs", "Seven"});
    p.updateList(4);
    EXPECT_EQ(rig.view.calls, QStringList({"append:006：Six", "append:007：Seven"}));
}

TEST(EditEntriesTest, SwapsAndDeletesKeepTheCurrentSongItsCaptionAndTheShuffleOrder) {
    PlayerRig rig;
    Player& p = *rig.player;
    addEntries(p, {"A", "B", "C"});
    p.state().currentEntry = 1;
    p.swapEntries(1, 0, false);
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(rig.view.named("caption"), QStringList({"[001/003] B - VESK MIDI PLAYER"}));
    p.swapEntries(1, 2, false);
    p.swapEntries(0, 2, true);  // kept: the current entry stays where it is
    p.swapEntries(0, 3, false);
    EXPECT_EQ(p.state().currentEntry, 0);
    EXPECT_EQ(p.state().playList[0].title, QStringLiteral("A"));
    EXPECT_EQ(rig.view.named("caption").size(), 1);

    addEntries(p, {"D", "E"});
    p.state().currentEntry = 3;  // D
    rig.settings.repeat = 3;
    p.state().shuffleOrder = {1, 2, 0, 3, 4};
    p.state().playOrderPos = 3;
    p.deleteEntry(1);
    EXPECT_EQ(rig.view.lines, QStringList({"001：A", "002：B", "003：D", "004：E"}));
    EXPECT_EQ(p.state().currentEntry, 2);
    EXPECT_EQ(p.state().shuffleOrder, (std::vector<std::int16_t>{1, 0, 2, 3}));
    EXPECT_EQ(p.state().playOrderPos, 2);
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("[003/004] D - VESK MIDI PLAYER"));
    p.deleteEntry(7);
    // The current song itself: playback stops and the caption names no song.
    p.state().playRequested = true;
    p.deleteEntry(2);
    EXPECT_FALSE(p.state().playRequested);
    EXPECT_EQ(rig.view.named("status").last(), QStringLiteral("STOP"));
    EXPECT_EQ(rig.view.named("caption").last(), QStringLiteral("VESK MIDI PLAYER"));
    p.deleteEntry(1);
    p.deleteEntry(0);
    EXPECT_FALSE(p.mainWindow().canNext);
    p.deleteEntry(0);
    EXPECT_TRUE(rig.view.lines.isEmpty());
}

}  // namespace
}  // namespace vesk::player::test
