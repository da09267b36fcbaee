// The loop submenu of the option menu and its key. `make screenshots` keeps a picture of
// the menu open (VESK_SCREENSHOT_DIR).
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QTest>

#include "ui/main/skin_widgets.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

// The window with its open menus drawn where they stand, on a canvas large enough for all.
QPixmap withMenus(QWidget& window, std::initializer_list<QMenu*> menus) {
    QRect area(window.mapToGlobal(QPoint(0, 0)), window.size());
    for (QMenu* menu : menus) {
        area |= menu->geometry();
    }
    QPixmap picture(area.size());
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.drawPixmap(window.mapToGlobal(QPoint(0, 0)) - area.topLeft(), window.grab());
    for (QMenu* menu : menus) {
        painter.drawPixmap(menu->pos() - area.topLeft(), menu->grab());
    }
    return picture;
}

TEST(LoopMenu, CountsAndTheAlwaysSwitchFollowThePlayerAndTheKey) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(1);
    auto* loops = w.findChild<QMenu*>("mnu_Loop");
    ASSERT_NE(loops, nullptr);
    auto* always = w.findChild<QAction*>("mnu_LoopAlways");

    // The title line opens the option menu, which shows the count in force.
    QTest::mousePress(w.findChild<SkinLabel*>("lbl_Title"), Qt::RightButton);
    auto* tools = w.findChild<QMenu*>("mnu_Option");
    ASSERT_TRUE(tools->isVisible());
    EXPECT_EQ(loops->title(), QStringLiteral("ループ再生 ×2(&P)"));
    EXPECT_TRUE(w.findChild<QAction*>("mnu_Loop2")->isChecked());
    loops->popup(tools->geometry().topRight() +
                 QPoint(0, tools->actionGeometry(loops->menuAction()).y()));
    if (const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        withMenus(w, {tools, loops}).save(dir + "/main_window_loop_menu.png");
    }
    loops->hide();
    tools->hide();

    w.findChild<QAction*>("mnu_Loop0")->trigger();
    EXPECT_EQ(rig.settings.loops, 0);
    EXPECT_EQ(loops->title(), QStringLiteral("ループ再生(&P)"));
    EXPECT_FALSE(always->isEnabled());
    // Ctrl+P steps through the counts and round to none.
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    }
    EXPECT_EQ(rig.settings.loops, 5);
    always->trigger();
    EXPECT_TRUE(rig.settings.loopAlways);
    QTest::mousePress(w.findChild<SkinLabel*>("lbl_Title"), Qt::RightButton);
    EXPECT_TRUE(w.findChild<QAction*>("mnu_Loop5")->isChecked());
    EXPECT_TRUE(always->isChecked());
    tools->hide();
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    }
    EXPECT_EQ(rig.settings.loops, 0);
}

}  // namespace
}  // namespace vesk::ui::test
