// The lyrics window on a real player, and the main window's commands for it and for the
// transposition. `make screenshots` keeps the lyrics window's picture.
#include "ui/lyrics/lyrics_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "platform/text_codec.h"
#include "ui/main/window_rig.h"

namespace vesk::ui::test {
namespace {

using vesk::test::Track;

// Shift-JIS lyric events every 250 ms from 1000 ms on (480 ticks a quarter, 120 per minute).
QByteArray sakura() {
    Track t;
    t.meta(0, 0x03, platform::encodeCp932(QStringLiteral("さくら")));
    t.tempo(0, 500000);
    std::uint32_t delta = 960;
    for (const char* s : {"さ", "く", "ら\r", "や", "よ", "い", "の", "そ", "ら"}) {
        t.meta(delta, 0x05, platform::encodeCp932(QString::fromUtf8(s)));
        delta = 240;
    }
    t.at(0, {0x90, 60, 100}).at(1920, {0x80, 60, 0}).end();
    return vesk::test::toQByteArray(vesk::test::smf(0, 480, {t}));
}

void keep(QWidget& window, const char* name) {
    if (const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        window.grab().save(dir + "/" + name);
    }
}

TEST(LyricsWindowTest, FollowsThePositionAndNamesASongWithoutLyrics) {
    WindowRig rig;
    LyricsWindow lyrics(*rig.player, rig.settings);
    rig.showLyrics = [&lyrics](bool shown) { lyrics.setShown(shown); };
    PlayerWindow& w = rig.open();
    auto* current = static_cast<LyricLineView*>(lyrics.findChild<QWidget*>("LyricCurrentLine"));
    auto* next = static_cast<LyricLineView*>(lyrics.findChild<QWidget*>("LyricNextLine"));
    ASSERT_NE(current, nullptr);
    ASSERT_NE(next, nullptr);

    QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(lyrics.isVisible());
    EXPECT_TRUE(rig.settings.lyricsShown);

    rig.dir.write("songs/sakura.mid", sakura());
    rig.song("plain.mid", "Plain Song");
    rig.dialogs.answers.push_back(rig.selection({"sakura.mid", "plain.mid"}));
    w.openFileCommand();
    rig.run(500);
    rig.player->seekTo(1300);
    lyrics.refresh();
    EXPECT_EQ(current->sungText(), QStringLiteral("さく"));
    EXPECT_EQ(current->restText(), QStringLiteral("ら"));
    EXPECT_EQ(next->text(), QStringLiteral("やよいのそら"));
    keep(lyrics, "lyrics_window.png");

    // In the tray the main window is gone; the lyrics window follows on its own.
    class TrayView final : public player::PlayerView {
      public:
        void openCommandLine(const QString&) override {}
    } tray;
    rig.window->hide();
    rig.player->enterTray(tray);
    rig.player->seekTo(2100);
    lyrics.refresh();
    EXPECT_EQ(current->sungText(), QStringLiteral("やよ"));
    EXPECT_EQ(current->restText(), QStringLiteral("いのそら"));
    EXPECT_EQ(next->text(), QString());

    rig.player->transportNext();
    rig.player->returnFromTray(*rig.window);
    lyrics.refresh();
    EXPECT_EQ(current->text(), QStringLiteral("Plain Song"));
    EXPECT_EQ(next->text(), QStringLiteral("この曲には歌詞がありません"));

    lyrics.close();
    EXPECT_FALSE(rig.settings.lyricsShown);
}

TEST(LyricsWindowTest, TransposeKeysAndMenuShowTheShiftBesideTheTime) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    auto* mark = w.findChild<QLabel*>("lbl_Transpose");
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->text(), QString());
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(&w, Qt::Key_PageUp, Qt::ControlModifier);
    }
    EXPECT_EQ(mark->text(), QStringLiteral("+3"));
    w.findChild<QAction*>("mnu_TransposeDown")->trigger();
    EXPECT_EQ(mark->text(), QStringLiteral("+2"));
    EXPECT_EQ(rig.settings.transpose, 2);
    QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(mark->text(), QString());
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier);
    }
    EXPECT_EQ(mark->text(), QStringLiteral("-12"));
    keep(w, "main_window_transposed.png");
    // A main window made again (back from the tray) shows the shift still in force.
    PlayerWindow& again = rig.open(false);
    EXPECT_EQ(again.findChild<QLabel*>("lbl_Transpose")->text(), QStringLiteral("-12"));
}

}  // namespace
}  // namespace vesk::ui::test
