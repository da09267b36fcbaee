// The selection texts, the seek arithmetic, the window place and the dialog rules.
#include <gtest/gtest.h>

#include "config/module_state.h"
#include "config/settings.h"
#include "ui/common/selection_text.h"
#include "ui/main/file_dialogs.h"
#include "ui/main/skin_widgets.h"
#include "ui/main/window_place.h"

namespace vesk::ui {
namespace {

// A selection text with its parts joined as the dialogs join them.
QString joined(const QStringList& parts) {
    return parts.join(QChar(u'\0'));
}

TEST(SelectionText, DropsChoicesAndCommandLinesBecomeFolderAndNames) {
    // Every dropped name goes into the first path's folder, even a single one.
    EXPECT_EQ(selectionFromDrop({"/m/a.mid", "/m/b.mid", "/other/c.mid"}),
              joined({"/m", "a.mid", "b.mid", "c.mid"}));
    EXPECT_EQ(selectionFromDrop({"/m/a.mid"}), joined({"/m", "a.mid"}));
    EXPECT_EQ(selectionFromDrop({"/a.mid"}), joined({"", "a.mid"}));
    EXPECT_EQ(selectionFromDrop({}), QString());
    EXPECT_EQ(selectionFromChoice({"/m/a.mid"}), "/m/a.mid");
    EXPECT_EQ(selectionFromChoice({"/m/a.mid", "/m/b.rmi"}), joined({"/m", "a.mid", "b.rmi"}));
    EXPECT_EQ(selectionFromChoice({}), QString());
    // Quoted: one path, spaces kept; a quote anywhere makes it one quoted path.
    EXPECT_EQ(selectionFromCommandLine("\"/my songs/a b.mid\""), "/my songs/a b.mid");
    EXPECT_EQ(selectionFromCommandLine("x\"/a.mid\"y"), "\"/a.mid\"");
    // Unquoted with spaces: several paths of the first one's folder, even if that splits one.
    EXPECT_EQ(selectionFromCommandLine("/m/a.mid /m/b.mid /m/c.rcp"),
              joined({"/m", "a.mid", "b.mid", "c.rcp"}));
    EXPECT_EQ(selectionFromCommandLine("/my songs/a.mid"), joined({"", "my", "a.mid"}));
    EXPECT_EQ(selectionFromCommandLine("/m/a.mid"), "/m/a.mid");
    EXPECT_EQ(selectionFromCommandLine("\""), QString());
}

TEST(SeekAndPlace, PixelsToSongTimeAndFileUnitsToPixels) {
    // Pressed 98.67 pixels into a 200-pixel bar on a 120000 ms song: the middle.
    EXPECT_EQ(seekPosition(seekXForPress(98.67), 200, 120000), 60000);
    EXPECT_EQ(seekXForPress(0), 20);
    EXPECT_EQ(seekPosition(1, 1, 1000), 66);
    EXPECT_EQ(seekPosition(4000, 200, 3000), 4000);
    EXPECT_EQ(seekPosition(100, 0, 1000), 0);
    EXPECT_EQ(seekPosition(1500000000, 100000000, 2000000000), 2000000000);
    EXPECT_EQ(placeFromFile(kDefaultPlaceFileUnits, kDefaultPlaceFileUnits), QPoint(133, 133));
    EXPECT_EQ(placeFromFile(toFileUnits(412), toFileUnits(-37)), QPoint(412, -37));
    EXPECT_EQ(placeFromFile(29.9, 30), QPoint(1, 2));
}

class FakeBackend final : public DialogBackend {
  public:
    QStringList openFiles(QWidget*, const QString& title, const QString& folder,
                          const QStringList& filters) override {
        seen.append(title + "|" + folder);
        lastFilters = filters;
        return files;
    }
    QString folder(QWidget*, const QString&) override { return chosenFolder; }
    QString saveFile(QWidget*, const QString& title, const QString& folder,
                     const QStringList& filters, const QString& suffix) override {
        seen.append(title + "|" + folder + "|" + suffix);
        lastFilters = filters;
        return savePath;
    }
    QStringList files;
    QString chosenFolder;
    QString savePath;
    QStringList seen;
    QStringList lastFilters;
};

struct DialogRig {
    config::ModuleState module;
    config::Settings settings;
    FakeBackend backend;
    SongFileDialogs dialog{module, settings, backend};
};

TEST(CommonDialog, OpenRemembersTheFolderForTheNextOpenAndSaveTheFolderBrowserDoesNot) {
    DialogRig rig;
    rig.settings.lastFile = "/start";
    rig.backend.chosenFolder = "/music/";
    EXPECT_EQ(rig.dialog.browseFolder(nullptr, "t"), "/music");
    rig.backend.files = {"/songs/a.mid", "/songs/b.mid"};
    EXPECT_EQ(rig.dialog.openFilesDialog(nullptr, "新しくファイルを開く"),
              joined({"/songs", "a.mid", "b.mid"}));
    EXPECT_EQ(rig.backend.seen.last(), "新しくファイルを開く|/start");
    rig.backend.files.clear();
    EXPECT_EQ(rig.dialog.openFilesDialog(nullptr, "t"), QString());
    rig.backend.chosenFolder.clear();
    EXPECT_EQ(rig.dialog.browseFolder(nullptr, "t"), QString());
    rig.backend.savePath = "/lists/mine";
    EXPECT_EQ(rig.dialog.saveListDialog(nullptr, "ﾘｽﾄの保存"), "/lists/mine.mlt");
    EXPECT_EQ(rig.backend.seen.last(), "ﾘｽﾄの保存|/songs|mlt");
    EXPECT_EQ(rig.settings.lastFile, "/songs");
    EXPECT_EQ(rig.backend.lastFilters, QStringList{"ﾏﾙﾁﾘｽﾄﾌｧｲﾙ (*.mlt *.MLT)"});
    for (const auto& [given, kept] : {std::pair{"/l/mine.MLT", "/l/mine.MLT"},
                                      std::pair{"/l/mine.", "/l/mine.mlt"}, std::pair{"", ""}}) {
        rig.backend.savePath = given;
        EXPECT_EQ(rig.dialog.saveListDialog(nullptr, "t"), QString(kept));
    }
}

TEST(CommonDialog, FiltersMatchBothLetterCasesAndFollowTheAvailableKinds) {
    DialogRig rig;
    rig.backend.files = {"/a.mid"};
    rig.dialog.openFilesDialog(nullptr, "t");
    ASSERT_EQ(rig.backend.lastFilters.size(), 3);
    EXPECT_EQ(rig.backend.lastFilters[0], "対応ﾌｧｲﾙ (*.mid *.MID *.rmi *.RMI *.mlt *.MLT)");
    EXPECT_FALSE(rig.backend.lastFilters.join(' ').contains("LZH"));
    rig.settings.useLhasa = true;
    rig.module.haveRarReader = true;
    rig.dialog.openFilesDialog(nullptr, "t");
    const QString all = rig.backend.lastFilters.join('\n');
    for (const char* kind : {"*.lzh *.LZH", "*.zip *.ZIP", "*.rar *.RAR"}) {
        EXPECT_TRUE(all.contains(kind)) << kind;
    }
    EXPECT_FALSE(all.contains("*.rcp"));
}

}  // namespace
}  // namespace vesk::ui
