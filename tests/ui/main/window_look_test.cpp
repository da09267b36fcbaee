// The window as drawn: the design's colours, the artwork behind every picture and the
// Japanese face. Set VESK_SCREENSHOT_DIR to keep the picture for a look by eye.
#include <gtest/gtest.h>

#include <QFontInfo>

#include "ui/main/skin_art.h"
#include "ui/main/skin_widgets.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

int pixelsUnlike(const QImage& image, QRect area, QColor colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += QColor(image.pixel(x, y)) != colour ? 1 : 0;
        }
    }
    return count;
}

TEST(MainWindowLook, DrawsTheDesignColoursTheArtworkAndAJapaneseFace) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(3);
    const QImage shot = w.grab().toImage();
    if (const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        shot.save(dir + "/main_window.png");
    }
    const QColor back(32, 32, 64);
    EXPECT_EQ(QColor(shot.pixel(2, shot.height() - 3)), back);

    for (const char* name : {"B_Back", "B_Prev", "B_Play", "B_Stop", "B_Next", "img_Button0",
                             "img_Button2", "Img_Tool0"}) {
        auto* picture = w.findChild<PictureBox*>(name);
        ASSERT_NE(picture, nullptr) << name;
        const QRect area(picture->mapTo(&w, QPoint(0, 0)), picture->size());
        EXPECT_GT(pixelsUnlike(shot, area, back), area.width() * area.height() / 2) << name;
    }
    auto* deviceA = w.findChild<SkinLabel*>("Label3");
    const QPoint corner = deviceA->mapTo(&w, QPoint(1, 1));
    EXPECT_EQ(QColor(shot.pixel(corner)), QColor(0, 0, 0));

    EXPECT_TRUE(QFontInfo(w.findChild<SkinLabel*>("lbl_Title")->font())
                    .family()
                    .startsWith("Noto Sans CJK"));
}

TEST(MainWindowLook, EveryPictureTheWindowShowsHasArtwork) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    for (PictureBox* picture : w.findChildren<PictureBox*>()) {
        EXPECT_TRUE(SkinArt::exists(picture->picture())) << picture->objectName().toStdString();
    }
    for (int i = 0; i < 4; ++i) {
        const QString button = w.findChild<PictureBox*>(QString("img_Button%1").arg(i))->picture();
        EXPECT_TRUE(SkinArt::exists(button + "_pressed")) << i;
        const QString tool = w.findChild<PictureBox*>(QString("Img_Tool%1").arg(i))->picture();
        EXPECT_TRUE(SkinArt::exists(tool + "_pressed")) << i;
    }
    EXPECT_TRUE(SkinArt::exists("icon"));
    EXPECT_FALSE(SkinArt::exists(""));
    SkinArt art;
    EXPECT_TRUE(art.pixmap("no_such_picture", QSize(10, 10), 1.0).isNull());
    const QPixmap sharp = art.pixmap("button_open", QSize(30, 30), 2.0);
    EXPECT_EQ(sharp.size(), QSize(60, 60));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
}

}  // namespace
}  // namespace vesk::ui::test
