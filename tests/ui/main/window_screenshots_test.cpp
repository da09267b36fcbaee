// The windows as a user sees them: empty, and playing a list whose song has a long
// Japanese title. `make screenshots` keeps the pictures (VESK_SCREENSHOT_DIR).
#include <gtest/gtest.h>

#include <QListWidget>

#include "platform/text_codec.h"
#include "ui/main/skin_widgets.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

void keep(QWidget& window, const char* name) {
    if (const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        window.grab().save(dir + "/" + name);
    }
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

}  // namespace
}  // namespace vesk::ui::test
