// The small windows as the real main window opens and closes them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include "ui/info/elided_label.h"
#include "ui/info/info_row.h"
#include "ui/main/info_windows.h"

namespace vesk::ui {
namespace {

template <typename Window>
Window* only() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Window* found = nullptr;
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* typed = qobject_cast<Window*>(w); typed != nullptr && w->isVisible()) {
            found = typed;
            ++count;
        }
    }
    return count == 1 ? found : nullptr;
}

TEST(InfoWindows, FileInfoOpensWhereAskedTakesTextsAndCloses) {
    QWidget main;
    main.show();
    InfoWindows windows(VersionTexts{});
    int closedByUser = 0;
    windows.showFileInfo(&main, QPoint(40, 300), [&] { ++closedByUser; });
    SongInfoWindow* info = only<SongInfoWindow>();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->pos(), QPoint(40, 300));
    player::FileInfoTexts texts;
    texts.file = "ファイル名  a.mid";
    windows.fillFileInfo(texts);
    windows.setFileInfoBpm("BPM  120");
    windows.moveFileInfo(QPoint(50, 310));
    EXPECT_EQ(info->findChild<InfoRow*>("lbl_File")->text(), "ファイル名  a.mid");
    EXPECT_EQ(info->findChild<InfoRow*>("lbl_BPM")->text(), "BPM  120");
    EXPECT_EQ(info->pos(), QPoint(50, 310));
    // Closed by the main window: not reported back as the user's doing.
    windows.closeFileInfo();
    EXPECT_EQ(only<SongInfoWindow>(), nullptr);
    EXPECT_EQ(closedByUser, 0);
    windows.fillFileInfo(texts);  // no window open: nothing happens
}

TEST(InfoWindows, ProgressFollowsTheIntakeAndVersionBlocksTheMainWindow) {
    QWidget main;
    main.show();
    InfoWindows windows(VersionTexts{"VESK MIDI PLAYER", "Ver 1.0", 3, {}});
    windows.showProgress(&main);
    ProgressWindow* progress = only<ProgressWindow>();
    ASSERT_NE(progress, nullptr);
    windows.showProgressEntry(intake::SongEntry{"a.mid", "/songs", "Alpha"});
    EXPECT_EQ(progress->findChild<ElidedLabel*>("lbl_File")->text(), "a.mid");
    windows.closeProgress();
    EXPECT_EQ(only<ProgressWindow>(), nullptr);

    windows.showVersion(&main);
    VersionWindow* version = only<VersionWindow>();
    ASSERT_NE(version, nullptr);
    EXPECT_FALSE(main.isEnabled());
    EXPECT_EQ(version->findChild<QLabel*>("lbl_Title")->text(), "VESK MIDI PLAYER Ver 1.0 #3");
    windows.showVersion(&main);  // a second request shows the same window
    EXPECT_EQ(only<VersionWindow>(), version);
    windows.closeAll();
    EXPECT_EQ(only<VersionWindow>(), nullptr);
    EXPECT_TRUE(main.isEnabled());
}

}  // namespace
}  // namespace vesk::ui
