// The windows as a user sees them: empty, playing a list whose song has a long Japanese
// title, and with its popup menus open, in the design's colours, the artwork behind every
// picture and a Japanese face. `make screenshots` keeps the pictures (VESK_SCREENSHOT_DIR).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QTest>

#include "platform/text_codec.h"
#include "support/program_look.h"
#include "ui/main/skin_art.h"
#include "ui/main/skin_widgets.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

void keep(const QPixmap& picture, const char* name) {
    if (const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        picture.save(dir + "/" + name);
    }
}

int pixelsUnlike(const QImage& image, QRect area, QColor colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += QColor(image.pixel(x, y)) != colour ? 1 : 0;
        }
    }
    return count;
}

TEST(MainWindowScreenshots, EmptyAndPlayingALongJapaneseTitleInTheDesignsLook) {
    WindowRig empty;
    PlayerWindow& blank = empty.open();
    keep(blank.grab(), "main_window_empty.png");
    // Every picture the window can show has artwork, pressed or not.
    for (PictureBox* picture : blank.findChildren<PictureBox*>()) {
        EXPECT_TRUE(SkinArt::exists(picture->picture())) << picture->objectName().toStdString();
        if (picture->objectName().startsWith("img_Button") ||
            picture->objectName().startsWith("Img_Tool")) {
            EXPECT_TRUE(SkinArt::exists(picture->picture() + "_pressed"));
        }
    }
    const QPixmap sharp = SkinArt().pixmap("button_open", QSize(30, 30), 2.0);
    EXPECT_EQ(sharp.size(), QSize(60, 60));

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
    // The list line is shortened; the title line shows the whole title.
    auto* list = w.findChild<QListWidget*>("SongList");
    EXPECT_LT(list->item(0)->text().size(), title.size() + 5);
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_Title")->text(), title);
    const QPixmap shot = w.grab();
    keep(shot, "main_window_playing.png");

    const QImage image = shot.toImage();
    const QColor back(32, 32, 64);
    EXPECT_EQ(QColor(image.pixel(2, image.height() - 3)), back);
    for (const char* name : {"B_Back", "B_Prev", "B_Play", "B_Stop", "B_Next", "img_Button0",
                             "img_Button2", "Img_Tool0"}) {
        auto* picture = w.findChild<PictureBox*>(name);
        const QRect area(picture->mapTo(&w, QPoint(0, 0)), picture->size());
        EXPECT_GT(pixelsUnlike(image, area, back), area.width() * area.height() / 2) << name;
    }
    const QPoint deviceA = w.findChild<SkinLabel*>("Label3")->mapTo(&w, QPoint(1, 1));
    EXPECT_EQ(QColor(image.pixel(deviceA)), QColor(0, 0, 0));
    EXPECT_TRUE(QFontInfo(w.findChild<SkinLabel*>("lbl_Title")->font())
                    .family()
                    .startsWith("Noto Sans CJK"));
}

TEST(MainWindowScreenshots, PopupMenusAreDarkLikeTheWindow) {
    ProgramLook look;
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);
    // 「Click!」 and a right click on the repeat word, as a user opens them.
    const std::pair<const char*, Qt::MouseButton> openers[] = {{"B_Menu", Qt::LeftButton},
                                                               {"lbl_NoRep", Qt::RightButton}};
    for (const auto& [name, button] : openers) {
        QTest::mouseClick(w.findChild<QWidget*>(name), button);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << name;
        const QPixmap picture = menu->grab();
        QPixmap both = w.grab();
        QPainter(&both).drawPixmap(w.mapFromGlobal(menu->pos()), picture);
        keep(both,
             button == Qt::LeftButton ? "main_window_menu.png" : "main_window_repeat_menu.png");
        menu->hide();
        // Mostly the dark ground, with light captions on it.
        const auto [dark, light] = darkAndLight(picture);
        EXPECT_GT(dark, 0.6) << name;
        EXPECT_GT(light, 0.01) << name;
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
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("003：さくらさくら"));
    EXPECT_EQ(rig.engine.status(), QStringLiteral("playing"));
    EXPECT_EQ(w.findChild<SkinLabel*>("lbl_Title")->text(), QStringLiteral("Night Drive"));
    keep(w.grab(), "main_window_demo.png");
}

}  // namespace
}  // namespace vesk::ui::test
