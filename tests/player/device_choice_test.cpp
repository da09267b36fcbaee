#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "player/device_choice.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

const DeviceChoiceFlags kAuto{true, false, false};

TEST(ChooseDeviceSlotTest, HandChoiceWinsAndTitlesMatchInAnyCaseAndWidth) {
    EXPECT_EQ(chooseDeviceSlot({false, true, false}, "Roland", {}, "Roland"), 0);
    EXPECT_EQ(chooseDeviceSlot({false, false, true}, "piano", {}, "Roland"), 1);
    EXPECT_EQ(chooseDeviceSlot({false, false, false}, "Roland", {}, "Roland"), 0);
    struct Case {
        const char* title;
        const char* keywords;
        int slot;
    };
    const Case cases[] = {
        {"夜想曲（ｒｏｌａｎｄ　ＳＣ－８８）", "GS,SC,Roland", 1},
        {"ピアノ曲", "GS,SC,Roland", 0},
        // Voiced marks join their kana in either width.
        {"ヤマハ音源用", "ﾔﾏﾊ", 1},
        {"ｶﾞｯｺｳ ﾊﾟﾋﾟﾌﾟ", "ガッコウ　パピプ", 1},
        {"ｳﾞｧｲｵﾘﾝ", "ヴァイオリン", 1},
        {"ｯﾞｱﾟ", "ッ゛ア゜", 1},  // a mark that joins nothing stays
        // The default keyword of slot B is "1": the digit in either width.
        {"組曲第１番", "1", 1},
        {"Suite No.2", "1", 0},
        // Pieces are used as written, spaces included; an empty piece matches any title.
        {"ＳＣ版", "GS, SC", 0},
        {"何でも", "XG,,MU", 1},
        {"", "XG,,MU", 0},
        {"Roland", "", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            chooseDeviceSlot(kAuto, QString::fromUtf8(c.title), {}, QString::fromUtf8(c.keywords)),
            c.slot)
            << c.title << " / " << c.keywords;
    }
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
}

TEST(ResetDeviceTest, TheChosenSlotsResetReachesTheDeviceThatPlaysTheSong) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.addSong("a.mid", "Piano");
    rig.addSong("b.mid", QStringLiteral("Ｒｏｌａｎｄ demo").toUtf8());
    p.autoDeviceCommand();
    p.playEntry(0);
    p.playEntry(1);
    p.playEntry(0);
    EXPECT_EQ(rig.resets(),
              QStringList({"-1:F0 7E 7F 09 01 F7", "1:F0 41 10 42 12 40 00 7F 00 41 F7",
                           "-1:F0 7E 7F 09 01 F7"}));
    EXPECT_EQ(rig.view.named("device"), QStringList({"0", "0", "1", "0"}));
    // "Now Resetting..." shows while the reset is sent, then the title comes back.
    EXPECT_EQ(rig.view.named("title").mid(0, 4),
              QStringList({"Now Resetting...", "", "Piano", "Now Resetting..."}));
    // Codes of four characters or fewer send nothing.
    rig.settings.deviceSlots[0].resetCode = "1";
    p.playEntry(0);
    EXPECT_EQ(rig.resets().size(), 3);
    EXPECT_TRUE(rig.interaction.shown.empty());
    // A device the engine refuses is reported once and the song still plays.
    rig.settings.deviceSlots[0].device = 7;
    p.playEntry(0);
    EXPECT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
}

}  // namespace
}  // namespace vesk::player::test
