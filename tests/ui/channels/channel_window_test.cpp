// The channel window on a real player playing a demo song through the channel monitor,
// and the main window's menu item and key for it. `make screenshots` keeps its picture.
#include "ui/channels/channel_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "config/config_file.h"
#include "player/monitored_rig.h"
#include "support/program_look.h"
#include "ui/main/window_rig.h"

namespace vesk::ui::test {
namespace {

void keep(QWidget& window, const char* name) {
    if (const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        window.grab().save(dir + "/" + name);
    }
}

// Playback for `ms` more of clock time in steps of 20 ms, the window refreshing as its
// timer would.
void run(player::test::MonitoredPlayerRig& rig, int ms, ChannelWindow& window) {
    for (int t = 0; t < ms; t += 20) {
        rig.clock.advance(std::chrono::milliseconds(20));
        rig.backend.pump(rig.clock.now());
        window.refresh();
    }
}

template <typename T>
T* child(QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

TEST(ChannelWindowTest, ShowsADemoSongsChannelsAndItsButtonsMuteAndSolo) {
    ProgramLook look;
    player::test::MonitoredPlayerRig rig;
    ChannelWindow window(*rig.player, rig.settings);
    window.setShown(true);
    EXPECT_TRUE(rig.settings.channelsShown);
    EXPECT_TRUE(child<QLabel>(window, "ChannelEmpty")->isVisibleTo(&window));

    rig.addEntry(QStringLiteral(VESK_DEMO_DIR), "night_drive.mid");
    rig.load(0);
    run(rig, 4000, window);
    EXPECT_FALSE(child<QLabel>(window, "ChannelEmpty")->isVisibleTo(&window));
    const std::vector<player::ChannelRow> rows = rig.player->channelRows();
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(child<QLabel>(window, "ChannelInstrument10")->text(), QStringLiteral("Standard Kit"));
    for (const player::ChannelRow& row : rows) {
        const QString n = row.number;
        EXPECT_EQ(child<QLabel>(window, "ChannelInstrument" + n)->text(), row.instrument);
        EXPECT_DOUBLE_EQ(child<ChannelMeter>(window, "ChannelMeter" + n)->level(), row.level);
    }

    // Drums muted, then the first melodic channel soloed: only it is heard.
    const QString melodic = rows.front().number;
    QTest::mouseClick(child<QToolButton>(window, "ChannelMute10"), Qt::LeftButton);
    run(rig, 400, window);
    window.resize(window.width(), 200);
    keep(window, "channel_window.png");
    QTest::mouseClick(child<QToolButton>(window, "ChannelSolo" + melodic), Qt::LeftButton);
    EXPECT_EQ(rig.engine.mutedChannels(), 1u << 9);
    EXPECT_EQ(rig.engine.soloedChannels(), 1u << rows.front().channel);
    run(rig, 1000, window);
    for (const player::ChannelRow& row : rig.player->channelRows()) {
        EXPECT_EQ(row.audible, row.number == melodic) << row.number.toStdString();
        EXPECT_EQ(child<ChannelMeter>(window, "ChannelMeter" + row.number)->level() > 0,
                  row.audible)
            << "only the soloed channel's meter moves";
    }
    EXPECT_TRUE(child<QToolButton>(window, "ChannelMute10")->isChecked());
    keep(window, "channel_window_solo.png");

    window.close();
    EXPECT_FALSE(rig.settings.channelsShown);
}

TEST(ChannelWindowTest, CtrlKAndTheToolsMenuOpenItAndItReopensWithTheProgram) {
    WindowRig rig;
    ChannelWindow channels(*rig.player, rig.settings);
    rig.showChannels = [&channels](bool shown) { channels.setShown(shown); };
    PlayerWindow& w = rig.open();
    QTest::keyClick(&w, Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(channels.isVisible());
    w.findChild<QAction*>("mnu_Channels")->trigger();
    EXPECT_FALSE(channels.isVisible());
    EXPECT_FALSE(rig.settings.channelsShown);

    rig.settings.channelsShown = true;
    config::saveConfigFile(rig.module.configPath, rig.settings);
    WindowRig next;
    next.module.configPath = rig.module.configPath;
    ChannelWindow reopened(*next.player, next.settings);
    next.showChannels = [&reopened](bool shown) { reopened.setShown(shown); };
    next.open();
    EXPECT_TRUE(reopened.isVisible());
}

}  // namespace
}  // namespace vesk::ui::test
