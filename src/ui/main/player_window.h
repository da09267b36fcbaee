#pragma once
// The main window: a skinned player window with no menu bar. Picture buttons,
// transport images and labels open popup menus and run the commands; the song list takes
// clicks, keys and dropped files. The player core decides; the window forwards events and
// draws what the core writes through PlayerView.

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "intake/archive_extract.h"
#include "intake/song_entry.h"
#include "player/player_view.h"
#include "ui/main/aux_windows.h"
#include "ui/main/file_dialogs.h"
#include "ui/main/loop_menu.h"
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
struct PlayerWindowParts {
    FileDialogs& dialogs;
    AuxWindows& windows;
    intake::ArchiveExtractor& extractor;
    // Ends the program after the configuration was written.
    std::function<void()> quit;
    // Starts the desktop's volume control; nothing when none is installed.
    std::function<void()> startVolumeControl;
    // The timer runs the monitor every 250 ms; tests tick it themselves.
    bool runTimer = true;
};

class PlayerWindow final : public QWidget, public MainWindow, public player::PlayerView {
    Q_OBJECT
  public:
    PlayerWindow(MainWindowContext& context, PlayerWindowParts parts);
    ~PlayerWindow() override;

    // MainWindow.
    bool load() override;
    void show() override { QWidget::show(); }
    void closeWindow() override { close(); }

    // Reads the configuration into Settings and applies it; false (after the message)
    // when the file is invalid.
    bool loadConfig();
    // Closes the sequencer, writes the configuration and ends the program.
    void saveConfig() override;

    // The open and add commands.
    void openFileCommand();
    void openFolderCommand();
    void addFileCommand();
    void addFolderCommand();
    void dropFiles(const QStringList& paths);

    // Menu commands of the window itself.
    void taskTrayCommand();
    void lyricsCommand();
    void channelsCommand();
    void exitCommand();

    // PlayerView.
    // Takes in a line handed over by a second start.
    void openCommandLine(const QString& line) override;
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
    void showTranspose(int semitones) override;
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
    void showLoading();
    void afterOpening();
    void enableAddCommands();
    void emptyWorkFolder();

    // The player's list and positions, read only: changes go through the player's commands.
    const player::PlayerState& playerState() const {
        return std::as_const(context_.player).state();
    }

    void popup(QMenu* menu, QPoint globalPos);
    void syncMenus();
    void focusList();
    QPoint infoWindowPlace() const;

    MainWindowContext& context_;
    PlayerWindowParts parts_;
    SkinArt art_;
    QTimer timer_;
    bool configWritten_ = false;

    bool canShowInfo_ = false;
    std::int32_t seekX_ = 0;
    std::int16_t dragFrom_ = -1;
    std::array<bool, 4> buttonDown_{};

    QWidget* titleStrip_ = nullptr;
    SkinLabel* titleLabel_ = nullptr;
    SkinLabel* statusLabel_ = nullptr;
    SkinLabel* nowLabel_ = nullptr;
    SkinLabel* slashLabel_ = nullptr;
    SkinLabel* totalLabel_ = nullptr;
    SkinLabel* transposeLabel_ = nullptr;
    PositionBar* positionBar_ = nullptr;
    QWidget* repeatPanel_ = nullptr;
    SkinLabel* noRepeatLabel_ = nullptr;
    SkinLabel* repeatLabel_ = nullptr;
    PictureBox* repeatImage_ = nullptr;
    SkinLabel* deviceALabel_ = nullptr;
    SkinLabel* deviceBLabel_ = nullptr;
    PictureBox* prevButton_ = nullptr;
    PictureBox* stopButton_ = nullptr;
    PictureBox* playButton_ = nullptr;
    PictureBox* backButton_ = nullptr;
    PictureBox* nextButton_ = nullptr;
    QWidget* buttonPanel_ = nullptr;
    SkinLabel* menuLabel_ = nullptr;
    std::array<PictureBox*, 4> pictureButtons_{};
    std::array<QString, 4> otherPictures_;
    QString scratchPicture_;
    std::array<PictureBox*, 4> listTools_{};
    std::array<QString, 4> toolPictures_;
    std::array<QString, 4> toolPressedPictures_;
    SongList* songList_ = nullptr;

    QMenu* fileMenu_ = nullptr;
    QMenu* repeatMenu_ = nullptr;
    QMenu* mainMenu_ = nullptr;
    QMenu* speedMenu_ = nullptr;
    QMenu* deviceMenu_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* openFileAction_ = nullptr;
    QAction* addFileAction_ = nullptr;
    QAction* openFolderAction_ = nullptr;
    QAction* addFolderAction_ = nullptr;
    std::array<QAction*, 4> repeatActions_{};
    QAction* doubleSpeedAction_ = nullptr;
    QAction* halfSpeedAction_ = nullptr;
    QAction* deviceAAction_ = nullptr;
    QAction* deviceBAction_ = nullptr;
    QAction* autoDeviceAction_ = nullptr;
    QAction* trayAction_ = nullptr;
    QAction* versionAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction* volumeAction_ = nullptr;
    QAction* scrollAction_ = nullptr;
    QAction* lyricsAction_ = nullptr;
    QAction* channelsAction_ = nullptr;
    QMenu* transposeMenu_ = nullptr;
    QAction* transposeUpAction_ = nullptr;
    QAction* transposeDownAction_ = nullptr;
    QAction* transposeResetAction_ = nullptr;
    std::unique_ptr<LoopMenu> loopMenu_;
    QAction* readmeAction_ = nullptr;
};

}  // namespace vesk::ui
