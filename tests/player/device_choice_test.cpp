#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "player/device_choice.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

const DeviceChoiceFlags kAuto{true, false, false};

TEST(FoldForKeywordTest, CaseAndWidthMakeNoDifference) {
    EXPECT_EQ(foldForKeyword(QStringLiteral("ｒｏｌａｎｄ")), QStringLiteral("ＲＯＬＡＮＤ"));
    EXPECT_EQ(foldForKeyword(QStringLiteral("Roland")), QStringLiteral("ＲＯＬＡＮＤ"));
    EXPECT_EQ(foldForKeyword(QStringLiteral("SC-55 v1")), QStringLiteral("ＳＣ－５５　Ｖ１"));
    EXPECT_EQ(foldForKeyword(QStringLiteral("ﾔﾏﾊ")), QStringLiteral("ヤマハ"));
    // Voiced and semi-voiced marks join their kana.
    EXPECT_EQ(foldForKeyword(QStringLiteral("ｶﾞｯｺｳ ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ")),
              QStringLiteral("ガッコウ　パピプペポ"));
    EXPECT_EQ(foldForKeyword(QStringLiteral("ｳﾞｧｲｵﾘﾝ")), QStringLiteral("ヴァイオリン"));
    EXPECT_EQ(foldForKeyword(QStringLiteral("ﾃﾞｨｽｸ｡")), QStringLiteral("ディスク。"));
    // A mark that joins nothing stays a mark of its own.
    EXPECT_EQ(foldForKeyword(QStringLiteral("ｯﾞｱﾟ")), QStringLiteral("ッ゛ア゜"));
    EXPECT_EQ(foldForKeyword(QStringLiteral("交響曲　第９番")), QStringLiteral("交響曲　第９番"));
}

TEST(KeywordTest, PiecesAreCutAtCommasAndEmptyPiecesMatchAnyTitle) {
    EXPECT_TRUE(keywordPieces(QString()).isEmpty());
    EXPECT_EQ(keywordPieces("GS,SC,Roland"), QStringList({"GS", "SC", "Roland"}));
    EXPECT_EQ(keywordPieces("GS, SC,"), QStringList({"GS", " SC", ""}));

    EXPECT_TRUE(titleHasKeyword(QStringLiteral("夜想曲（ｒｏｌａｎｄ　ＳＣ－８８）"),
                                keywordPieces("GS,SC,Roland")));
    EXPECT_TRUE(titleHasKeyword(QStringLiteral("ヤマハ音源用"), keywordPieces("ﾔﾏﾊ")));
    EXPECT_FALSE(titleHasKeyword(QStringLiteral("ピアノ曲"), keywordPieces("GS,SC,Roland")));
    // The space of " SC" is part of the piece.
    EXPECT_FALSE(titleHasKeyword(QStringLiteral("ＳＣ版"), keywordPieces("GS, SC")));
    EXPECT_TRUE(titleHasKeyword(QStringLiteral("for ＳＣ"), keywordPieces("GS, SC")));
    EXPECT_TRUE(titleHasKeyword(QStringLiteral("何でも"), keywordPieces("XG,,MU")));
    EXPECT_FALSE(titleHasKeyword(QString(), keywordPieces("XG,,MU")));

    EXPECT_TRUE(textHasKeyword("for YAMAHA MU80", keywordPieces("XG,MU,YAMAHA")));
    EXPECT_FALSE(textHasKeyword("for yamaha mu80", keywordPieces("XG,MU,YAMAHA")));
    EXPECT_FALSE(textHasKeyword("ｘｇ", keywordPieces("XG")));
}

TEST(ChooseDeviceSlotTest, HandChoiceWinsOverKeywords) {
    EXPECT_EQ(chooseDeviceSlot({false, true, false}, "Roland", {}, "Roland"), 0);
    EXPECT_EQ(chooseDeviceSlot({false, false, true}, "piano", {}, "Roland"), 1);
    EXPECT_EQ(chooseDeviceSlot({false, false, false}, "Roland", {}, "Roland"), 0);
    EXPECT_EQ(chooseDeviceSlot(kAuto, "Roland", {}, QString()), 0);
    // The default keyword of slot B is "1": a title with the digit in either width.
    EXPECT_EQ(chooseDeviceSlot(kAuto, QStringLiteral("組曲第１番"), {}, "1"), 1);
    EXPECT_EQ(chooseDeviceSlot(kAuto, QStringLiteral("Suite No.1"), {}, "1"), 1);
    EXPECT_EQ(chooseDeviceSlot(kAuto, QStringLiteral("Suite No.2"), {}, "1"), 0);
}

TEST(ChooseDeviceSlotTest, TheDocumentIsSearchedExactlyWhenTheTitleDoesNotDecide) {
    vesk::test::TempDir dir;
    const QString upper = dir.write("upper.txt", "Data for YAMAHA XG.\r\n");
    const QString lower = dir.write("lower.txt", "data for yamaha xg.\r\n");
    const QString sjis =
        dir.write("sjis.txt", platform::encodeCp932(QStringLiteral("ヤマハ　ＭＵ８０用です")));
    const QString key = "XG,MU,YAMAHA";
    EXPECT_EQ(chooseDeviceSlot(kAuto, "Etude", upper, key), 1);
    EXPECT_EQ(chooseDeviceSlot(kAuto, "Etude", lower, key), 0);
    EXPECT_EQ(chooseDeviceSlot(kAuto, "Etude", sjis, QStringLiteral("ヤマハ")), 1);
    EXPECT_EQ(chooseDeviceSlot(kAuto, "Etude", sjis, QStringLiteral("ﾔﾏﾊ")), 0);
    EXPECT_EQ(chooseDeviceSlot(kAuto, "Etude", dir.file("missing.txt"), key), 0);
    EXPECT_EQ(chooseDeviceSlot(kAuto, "Etude", dir.path(), key), 0);
    EXPECT_EQ(chooseDeviceSlot({false, true, false}, "Etude", upper, key), 0);
}

TEST(ResetDeviceTest, TheChosenSlotsResetReachesTheDeviceThatPlaysTheSong) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "Piano");
    rig.addSong("b.mid", QStringLiteral("Ｒｏｌａｎｄ demo").toUtf8());
    p.autoDeviceCommand();
    p.PlayEntry(0);
    p.PlayEntry(1);
    p.PlayEntry(0);
    EXPECT_EQ(rig.resets(),
              QStringList({"-1:F0 7E 7F 09 01 F7", "1:F0 41 10 42 12 40 00 7F 00 41 F7",
                           "-1:F0 7E 7F 09 01 F7"}));
    EXPECT_EQ(rig.view.named("device"), QStringList({"0", "0", "1", "0"}));
    EXPECT_EQ(rig.engine.Device(), -1);
    EXPECT_TRUE(rig.interaction.shown.empty());

    // The song itself plays through the slot's device.
    p.PlayEntry(1);
    rig.run(500);
    EXPECT_EQ(rig.noteDevices().last(), 1);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPlaying);
}

TEST(ResetDeviceTest, ShortCodesSendNothingAndTheTitleComesBack) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "Piano");
    rig.settings.Slot[0].ResetCode = QString();
    p.PlayEntry(0);
    rig.settings.Slot[0].ResetCode = "1";
    p.PlayEntry(0);
    EXPECT_TRUE(rig.resets().isEmpty());
    EXPECT_EQ(rig.view.named("title"),
              QStringList({"Now Resetting...", "", "Piano", "Now Resetting...", "Piano", "Piano"}));
    EXPECT_EQ(p.mainWindow().TitleText, QStringLiteral("Piano"));
}

TEST(ResetDeviceTest, ADeviceTheEngineRefusesIsReportedOnceAndTheSongStillPlays) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "Piano");
    rig.settings.Slot[0].Device = 7;
    p.PlayEntry(0);
    EXPECT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPlaying);
    EXPECT_TRUE(p.state().PlayRequested);
}

}  // namespace
}  // namespace vesk::player::test
