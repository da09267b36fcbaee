// The selection texts, the seek arithmetic, the colours and the dialog rules.
#include <gtest/gtest.h>

#include <QDir>

#include "config/module_state.h"
#include "config/settings.h"
#include "support/temp_dir.h"
#include "ui/common/selection_text.h"
#include "ui/main/file_dialogs.h"
#include "ui/main/skin_style.h"
#include "ui/main/skin_widgets.h"
#include "ui/main/window_place.h"

namespace vesk::ui {
namespace {

const QChar Nul(u'\0');

TEST(SelectionText, DropTakesEveryNameIntoTheFirstPathsFolder) {
    EXPECT_EQ(selectionFromDrop({"/m/a.mid", "/m/b.mid", "/other/c.mid"}),
              QString("/m") + Nul + "a.mid" + Nul + "b.mid" + Nul + "c.mid");
    // Even one dropped path goes as folder and name.
    EXPECT_EQ(selectionFromDrop({"/m/a.mid"}), QString("/m") + Nul + "a.mid");
    EXPECT_EQ(selectionFromDrop({}), QString());
    // A file at the root: the folder is empty, so folder + "/" + name is the path again.
    EXPECT_EQ(selectionFromDrop({"/a.mid"}), QString() + Nul + "a.mid");
}

TEST(SelectionText, ChoiceOfOneFileIsItsPath) {
    EXPECT_EQ(selectionFromChoice({"/m/a.mid"}), "/m/a.mid");
    EXPECT_EQ(selectionFromChoice({"/m/a.mid", "/m/b.rmi"}),
              QString("/m") + Nul + "a.mid" + Nul + "b.rmi");
    EXPECT_EQ(selectionFromChoice({}), QString());
}

TEST(SelectionText, CommandLineQuotedUnquotedAndSpaced) {
    // Quoted: one path, spaces kept, first and last characters removed.
    EXPECT_EQ(selectionFromCommandLine("\"/my songs/a b.mid\""), "/my songs/a b.mid");
    // A quote anywhere makes it one quoted path.
    EXPECT_EQ(selectionFromCommandLine("x\"/a.mid\"y"), "\"/a.mid\"");
    // Unquoted with spaces: several paths of the first one's folder.
    EXPECT_EQ(selectionFromCommandLine("/m/a.mid /m/b.mid /m/c.rcp"),
              QString("/m") + Nul + "a.mid" + Nul + "b.mid" + Nul + "c.rcp");
    // A path with spaces but no quotes is split all the same.
    EXPECT_EQ(selectionFromCommandLine("/my songs/a.mid"), QString() + Nul + "my" + Nul + "a.mid");
    EXPECT_EQ(selectionFromCommandLine("/m/a.mid"), "/m/a.mid");
    EXPECT_EQ(selectionFromCommandLine("\""), QString());
}

TEST(SeekArithmetic, PositionFromPressAndBarWidth) {
    // Pressed 98.67 pixels into a 200-pixel bar on a 120000 ms song: the middle.
    EXPECT_EQ(seekPosition(seekXForPress(98.67), 200, 120000), 60000);
    // Rounded down, and not limited to the song's length.
    EXPECT_EQ(seekPosition(1, 1, 1000), 66);
    EXPECT_EQ(seekPosition(4000, 200, 3000), 4000);
    EXPECT_EQ(seekPosition(100, 0, 1000), 0);
    // A press at the bar's left edge still counts the offset.
    EXPECT_EQ(seekXForPress(0), 20);
    // Large values do not overflow.
    EXPECT_EQ(seekPosition(1500000000, 100000000, 2000000000), 2000000000);
}

TEST(SkinColours, BlueHighRedLowIsConverted) {
    EXPECT_EQ(colorFromBgr(kBackColor), QColor(32, 32, 64));
    EXPECT_EQ(colorFromBgr(kDeviceIdleColor), QColor(70, 140, 178));
    EXPECT_EQ(colorFromBgr(kDeviceInUseColor), QColor(0, 0, 0));
}

TEST(WindowPlace, FileUnitsAndPixelsRoundTrip) {
    // The default place of the file, and a place written at quit and read back.
    EXPECT_EQ(placeFromFile(kDefaultPlaceFileUnits, kDefaultPlaceFileUnits), QPoint(133, 133));
    EXPECT_EQ(placeFromFile(toFileUnits(412), toFileUnits(-37)), QPoint(412, -37));
    // A hand-edited place between pixels goes to the pixel it lies in.
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
    QString folder(QWidget*, const QString& title) override {
        seen.append(title);
        return chosenFolder;
    }
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

TEST(CommonDialog, OpenRemembersTheFolderAndGivesTheSelectionText) {
    DialogRig rig;
    rig.settings.lastFile = "/start";
    rig.backend.files = {"/songs/a.mid", "/songs/b.mid"};
    EXPECT_EQ(rig.dialog.openFilesDialog(nullptr, "新しくファイルを開く"),
              QString("/songs") + Nul + "a.mid" + Nul + "b.mid");
    EXPECT_EQ(rig.backend.seen.last(), "新しくファイルを開く|/start");
    EXPECT_EQ(rig.settings.lastFile, "/songs");

    // The next save dialog starts there; a cancelled open leaves the remembered file alone.
    rig.backend.files.clear();
    EXPECT_EQ(rig.dialog.openFilesDialog(nullptr, "ファイルを追加"), QString());
    EXPECT_EQ(rig.settings.lastFile, "/songs");
    rig.backend.savePath = "/lists/mine";
    EXPECT_EQ(rig.dialog.saveListDialog(nullptr, "ﾘｽﾄの保存"), "/lists/mine.mlt");
    EXPECT_EQ(rig.backend.seen.last(), "ﾘｽﾄの保存|/songs|mlt");
    EXPECT_EQ(rig.settings.lastFile, "/songs");
}

TEST(CommonDialog, FolderBrowserNeitherReadsNorChangesLFile) {
    DialogRig rig;
    rig.settings.lastFile = "/start";
    rig.backend.chosenFolder = "/music/";
    EXPECT_EQ(rig.dialog.browseFolder(nullptr, "MIDIデータのあるフォルダを選択してください"),
              "/music");
    EXPECT_EQ(rig.settings.lastFile, "/start");
    rig.backend.chosenFolder.clear();
    EXPECT_EQ(rig.dialog.browseFolder(nullptr, "x"), QString());
}

TEST(CommonDialog, SaveKeepsAGivenExtensionAndCancelGivesNothing) {
    DialogRig rig;
    rig.backend.savePath = "/lists/mine.MLT";
    EXPECT_EQ(rig.dialog.saveListDialog(nullptr, "t"), "/lists/mine.MLT");
    rig.backend.savePath = "/lists/mine.";
    EXPECT_EQ(rig.dialog.saveListDialog(nullptr, "t"), "/lists/mine.mlt");
    rig.backend.savePath.clear();
    EXPECT_EQ(rig.dialog.saveListDialog(nullptr, "t"), QString());
    ASSERT_EQ(rig.backend.lastFilters.size(), 1);
    EXPECT_EQ(rig.backend.lastFilters.first(), "ﾏﾙﾁﾘｽﾄﾌｧｲﾙ (*.mlt *.MLT)");
}

TEST(CommonDialog, FiltersMatchBothLetterCasesAndFollowTheAvailableKinds) {
    DialogRig rig;
    rig.backend.files = {"/a.mid"};
    rig.dialog.openFilesDialog(nullptr, "t");
    const QStringList plain = rig.backend.lastFilters;
    ASSERT_EQ(plain.size(), 3);
    EXPECT_EQ(plain[0], "対応ﾌｧｲﾙ (*.mid *.MID *.rmi *.RMI *.mlt *.MLT)");
    EXPECT_FALSE(plain.join(' ').contains("LZH"));

    rig.settings.useLhasa = true;
    rig.module.haveRarReader = true;
    rig.dialog.openFilesDialog(nullptr, "t");
    const QString all = rig.backend.lastFilters.join('\n');
    EXPECT_TRUE(all.contains("*.lzh *.LZH"));
    EXPECT_TRUE(all.contains("*.zip *.ZIP"));
    EXPECT_TRUE(all.contains("*.rar *.RAR"));
    EXPECT_FALSE(all.contains("*.rcp"));
}

}  // namespace
}  // namespace vesk::ui
