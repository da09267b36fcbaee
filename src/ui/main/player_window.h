#pragma once
// The main window F_1: a skinned player window with no menu bar. Picture buttons,
// transport images and labels open popup menus and run the commands; the song list takes
// clicks, keys and dropped files. The player core decides; the window forwards events and
// draws what the core writes through PlayerView.

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "intake/archive_extract.h"
#include "intake/song_entry.h"
#include "player/player_view.h"
#include "ui/main/aux_windows.h"
#include "ui/main/file_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/main/skin_art.h"

class QMenu;
class QAction;

namespace vesk::ui {

class PictureBox;
class PositionBar;
class SkinLabel;
class SongList;

// What the window uses besides the player: dialogs, the small windows, the archive
// extractor shared with the loader, and the ways out to the desktop.
struct F_1Parts {
    FileDialogs& dialogs;
    AuxWindows& windows;
    intake::ArchiveExtractor& extractor;
    // Ends the program after the configuration was written.
    std::function<void()> quit;
    // Starts the desktop's volume control; nothing when none is installed.
    std::function<void()> startVolumeControl;
    // Tmr1 runs the monitor every 250 ms; tests tick it themselves.
    bool runTimer = true;
};

class F_1 final : public QWidget, public MainWindow, public player::PlayerView {
    Q_OBJECT
  public:
    F_1(MainWindowContext& context, F_1Parts parts);
    ~F_1() override;

    // MainWindow.
    bool load() override;
    void show() override { QWidget::show(); }
    void closeWindow() override { close(); }

    // Reads the configuration into Settings and applies it; false (after the message)
    // when the file is invalid.
    bool SetConfig();
    // Closes the sequencer, writes the configuration and ends the program.
    void SaveConfig() override;

    // The open and add commands.
    void openFileCommand();
    void openFolderCommand();
    void addFileCommand();
    void addFolderCommand();
    void dropFiles(const QStringList& paths);
    void OpenCommandLine(const QString& text);

    // Menu commands of the window itself.
    void taskTrayCommand();
    void exitCommand();

    // Window state.
    bool addCommandsEnabled() const;
    std::int32_t seekX() const { return SeekX_; }
    std::int16_t dragFrom() const { return DragFrom_; }
    // The picture each hidden pressed-picture holder keeps now.
    const QString& pressedPictureOf(int button) const;
    const QString& scratchPicture() const { return img_ButtonN_; }

    // PlayerView.
    void openCommandLine(const QString& line) override { OpenCommandLine(line); }
    void clearList() override;
    void appendLine(const QString& line) override;
    void setLine(int index, const QString& line) override;
    void removeLastLine() override;
    void selectLine(int index) override;
    void setCaption(const QString& caption) override;
    void setStatusText(const QString& text) override;
    void setNowText(const QString& text) override;
    void setTotalText(const QString& text) override;
    void setTitleText(const QString& text) override;
    void setTitleLeft(int left) override;
    int titleWidth() const override;
    int positionBarRange() const override;
    void setPositionBarWidth(int width) override;
    void setDeviceIndicator(int slot) override;
    void showRepeat(int mode, const player::RepeatIndicator& indicator) override;
    void showFileInfo(const player::FileInfoTexts& texts) override;
    void setBpmText(const QString& text) override;
    std::optional<QPoint> windowTopLeft() const override;
    void followInfoWindow(bool topChanged, bool leftChanged) override;
    void stateChanged() override;
    quintptr ownerWindow() const override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void connectControls();
    void connectList();

    // Picture buttons and list tools.
    bool buttonUsable(int i) const;
    void swapButtonPicture(int i);
    void buttonPressed(int i, Qt::MouseButton button);
    void buttonReleased(int i, Qt::MouseButton button, QPoint globalPos);
    void toggleFileInfo();
    bool toolUsable(int i) const;
    void toolPressed(int i);
    void toolReleased(int i);
    bool moveSelected(bool up);
    void saveList();

    // Transport images and labels.
    void playClicked();
    void menuPressed();
    void repeatLabelPressed(Qt::MouseButton button);
    void seek();
    bool windowKey(QKeyEvent* event);

    // Song list.
    void listDoubleClicked(int line);
    void listLeftReleased(int line);
    void rewriteLine(int index);

    // The open and add roads.
    void openCommand(const QString& selection, bool folder);
    void addCommand(const QString& selection, bool folder);
    std::vector<intake::SongEntry> takeIn(const QString& selection, bool folder);
    void appendEntries(const std::vector<intake::SongEntry>& entries);
    void showLoading();
    void afterOpening();
    void enableAddCommands();
    void emptyWorkFolder();

    void popup(QMenu* menu, QPoint globalPos);
    void syncMenus();
    void focusList();
    QPoint infoWindowPlace() const;

    MainWindowContext& context_;
    F_1Parts parts_;
    SkinArt art_;
    QTimer Tmr1_;
    bool configWritten_ = false;

    bool CanShowInfo_ = false;
    std::int32_t SeekX_ = 0;
    std::int16_t DragFrom_ = -1;
    std::array<bool, 4> buttonDown_{};

    QWidget* titleStrip_ = nullptr;
    SkinLabel* lbl_Title_ = nullptr;
    SkinLabel* lbl_Status_ = nullptr;
    SkinLabel* lbl_Now_ = nullptr;
    SkinLabel* lbl_Slash_ = nullptr;
    SkinLabel* lbl_All_ = nullptr;
    PositionBar* Picture3_ = nullptr;
    QWidget* Picture1_ = nullptr;
    SkinLabel* lbl_NoRep_ = nullptr;
    SkinLabel* lbl_Rep_ = nullptr;
    PictureBox* Img_Rep_ = nullptr;
    SkinLabel* Label3_ = nullptr;
    SkinLabel* Label4_ = nullptr;
    PictureBox* B_Prev_ = nullptr;
    PictureBox* B_Stop_ = nullptr;
    PictureBox* B_Play_ = nullptr;
    PictureBox* B_Back_ = nullptr;
    PictureBox* B_Next_ = nullptr;
    QWidget* Picture5_ = nullptr;
    SkinLabel* B_Menu_ = nullptr;
    std::array<PictureBox*, 4> img_Button_{};
    std::array<QString, 4> img_ButtonC_;
    QString img_ButtonN_;
    std::array<PictureBox*, 4> Img_Tool_{};
    std::array<QString, 4> Img_ToolA_;
    std::array<QString, 4> Img_ToolC_;
    SongList* SongList_ = nullptr;

    QMenu* mnu_File_ = nullptr;
    QMenu* mnu_Repeat_ = nullptr;
    QMenu* mnu_Menu_ = nullptr;
    QMenu* mnu_Speed_ = nullptr;
    QMenu* mnu_Device_ = nullptr;
    QMenu* mnu_Option_ = nullptr;
    QMenu* mnu_Help_ = nullptr;
    QAction* mnu_OpenFile_ = nullptr;
    QAction* mnu_AddFile_ = nullptr;
    QAction* mnu_OpenFolder_ = nullptr;
    QAction* mnu_AddFolder_ = nullptr;
    std::array<QAction*, 4> mnu_Crep_{};
    QAction* mnu_Double_ = nullptr;
    QAction* mnu_Hurf_ = nullptr;
    QAction* mnu_DevA_ = nullptr;
    QAction* mnu_DevB_ = nullptr;
    QAction* mnu_Auto_ = nullptr;
    QAction* mnu_TaskTray_ = nullptr;
    QAction* mnu_Ver_ = nullptr;
    QAction* mnu_Exit_ = nullptr;
    QAction* mnu_Volume_ = nullptr;
    QAction* mnu_Scroll_ = nullptr;
    QAction* mnu_Readme_ = nullptr;
};

}  // namespace vesk::ui
