// The windows as a user sees them: empty, playing a list whose song has a long Japanese
// title, and with its popup menus open. `make screenshots` keeps the pictures
// (VESK_SCREENSHOT_DIR).
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QTest>

#include "platform/text_codec.h"
#include "support/program_look.h"
#include "ui/main/skin_widgets.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

void keep(const QPixmap& picture, const char* name) {
    if (const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        picture.save(dir + "/" + name);
    }
}

void keep(QWidget& window, const char* name) {
    keep(window.grab(), name);
}

// The window with its open popup menu drawn over it where the menu stands.
QPixmap withMenu(QWidget& window, QMenu& menu) {
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    painter.drawPixmap(window.mapFromGlobal(menu.pos()), menu.grab());
    return picture;
}

TEST(MainWindowScreenshots, EmptyAndPlayingALongJapaneseTitle) {
    WindowRig empty;
    PlayerWindow& blank = empty.open();
    EXPECT_EQ(blank.findChild<QListWidget*>("SongList")->count(), 0);
    keep(blank, "main_window_empty.png");

    WindowRig rig;
    PlayerWindow& w = rig.open();
    const QString title = QStringLiteral(
        "交響曲第９番ニ短調「合唱付き」第４楽章より　歓喜の歌（ＧＳ音源用アレンジ）");
    rig.song("joy.mid", platform::encodeCp932(title), 30000);
    rig.song("sakura.mid", platform::encodeCp932(QStringLiteral("さくらさくら")));
    rig.song("drive.mid", "Night Drive");
    rig.dialogs.answers.push_back(rig.selection({"joy.mid", "sakura.mid", "drive.mid"}));
    w.openFileCommand();
    rig.run(5000);

    auto* list = w.findChild<QListWidget*>("SongList");
    ASSERT_EQ(list->count(), 3);
    // The list line is shortened; the title line shows the whole title.
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("001")));
    EXPECT_LT(list->item(0)->text().size(), title.size() + 5);
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_Title")->text(), title);
    EXPECT_EQ(rig.engine.status(), QStringLiteral("playing"));
    keep(w, "main_window_playing.png");
}

TEST(MainWindowScreenshots, PopupMenusAreDarkLikeTheWindow) {
    ProgramLook look;
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);

    // 「Click!」 and a right click on the repeat word, as a user opens them.
    QTest::mouseClick(w.findChild<QWidget*>("B_Menu"), Qt::LeftButton);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->objectName(), "mnu_Menu");
    const QPixmap main = menu->grab();
    keep(withMenu(w, *menu), "main_window_menu.png");
    menu->hide();
    QTest::mouseClick(w.findChild<QWidget*>("lbl_NoRep"), Qt::RightButton);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    const QPixmap repeat = menu->grab();
    keep(withMenu(w, *menu), "main_window_repeat_menu.png");
    menu->hide();

    // Mostly the dark ground, with light captions on it.
    for (const QPixmap& picture : {main, repeat}) {
        const auto [dark, light] = darkAndLight(picture);
        EXPECT_GT(dark, 0.6);
        EXPECT_GT(light, 0.01);
    }
}

// The README's picture: the demo list as `make run` opens it, early in the first song while
// its title still stands at the start of the line.
TEST(MainWindowScreenshots, TheDemoList) {
    ProgramLook look;
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.dialogs.answers.push_back(QStringLiteral(VESK_DEMO_DIR "/demo.mlt"));
    w.openFileCommand();
    rig.run(1750);
    auto* list = w.findChild<QListWidget*>("SongList");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("001：Night Drive"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("003：さくらさくら"));
    EXPECT_EQ(rig.engine.status(), QStringLiteral("playing"));
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_Title")->text(), QStringLiteral("Night Drive"));
    keep(w, "main_window_demo.png");
}

}  // namespace
}  // namespace vesk::ui::test
