// The main window's load and close, the configuration, and the open and add commands.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>

#include "config/config_file.h"
#include "intake/intake.h"
#include "player/play_list.h"
#include "ui/common/selection_text.h"
#include "ui/main/player_window.h"
#include "ui/main/skin_style.h"
#include "ui/main/skin_widgets.h"
#include "ui/main/song_list.h"
#include "ui/main/window_place.h"
#include "ui/main/window_reporter.h"

Q_LOGGING_CATEGORY(lcMainWindow, "vesk.ui.main")

namespace vesk::ui {
namespace {

constexpr char InvalidConfigText[] = "設定ファイルが不正です。異常終了します。";
constexpr char OpenFilesTitle[] = "新しくファイルを開く";
constexpr char AddFilesTitle[] = "ファイルを追加";
constexpr char FolderTitle[] = "MIDIデータのあるフォルダを選択してください";
constexpr char LoadingText[] = "Now Loading...";

// The wait pointer for as long as the object lives.
class WaitPointer {
  public:
    WaitPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitPointer() { QApplication::restoreOverrideCursor(); }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;
};

// A place read from the file that no screen shows any more falls back to the default, so
// the window never opens out of sight.
QPoint onScreen(QPoint place, QSize size) {
    const QRect window(place, size);
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableVirtualGeometry().intersects(window)) {
            return place;
        }
    }
    return placeFromFile(kDefaultPlaceFileUnits, kDefaultPlaceFileUnits);
}

}  // namespace

// Load and close ----------------------------------------------------------------------

bool PlayerWindow::load() {
    config::ModuleState& module = context_.module;
    player::Player& core = context_.player;
    const bool reload = module.mainReload;
    addFileAction_->setEnabled(false);
    addFolderAction_->setEnabled(false);
    canShowInfo_ = false;
    if (!reload) {
        core.attachView(*this, player::WindowMode::Main);
        if (!loadConfig()) {
            return false;
        }
    }
    if (reload) {
        // Placed before it is shown: a window not yet shown takes its place as the frame's
        // corner, as the file keeps it. Once shown, the window manager's frame is not known
        // at once and the place would go to the client area instead, creeping the window by
        // the frame's size on every trip through the tray.
        move(onScreen(placeFromFile(context_.settings.left, context_.settings.top),
                      frameGeometry().size()));
    }
    QWidget::show();
    context_.interaction.processEvents();
    setWindowTitle(module.appTitle);
    setTitleText(module.appTitle + u' ' + module.appVersion);
    for (std::size_t i = 0; i < listTools_.size(); ++i) {
        listTools_[i]->setPicture(toolPictures_[i]);
    }
    if (parts_.runTimer) {
        timer_.start();
    }
    canShowInfo_ = true;
    core.setInfoShown(false);

    if (!module.commandText.isEmpty()) {
        WaitPointer wait;
        showLoading();
        context_.interaction.processEvents();
        for (const QString& text : module.commandText) {
            openCommandLine(text);
        }
        core.playEntry(0);
        songList_->selectLine(0);
        afterOpening();
    }
    module.commandText.clear();

    if (reload) {
        // Back from the tray: the list and the song in progress, where the window was.
        core.returnFromTray(*this);
    }
    stateChanged();
    return true;
}

bool PlayerWindow::loadConfig() {
    config::Settings& settings = context_.settings;
    player::Player& core = context_.player;
    const config::ConfigLoad load = config::loadConfigFile(context_.module.configPath);
    if (!load.read.valid) {
        qCWarning(lcMainWindow).noquote()
            << (load.refusal.isEmpty() ? context_.module.configPath : load.refusal);
        context_.interaction.showMessage(QString::fromUtf8(InvalidConfigText),
                                         platform::MessageIcon::Critical);
        return false;
    }
    // Device A first, as at design time; the file's choice then runs its own command.
    core.deviceACommand();
    settings = load.read.settings;
    const double top = load.read.top.value_or(kDefaultPlaceFileUnits);
    const double left = load.read.left.value_or(kDefaultPlaceFileUnits);
    move(onScreen(placeFromFile(left, top), frameGeometry().size()));
    if (load.read.deviceCommand == QLatin1String("B")) {
        core.deviceBCommand();
    } else if (load.read.deviceCommand == QLatin1String("Auto")) {
        core.autoDeviceCommand();
    } else if (load.read.deviceCommand == QLatin1String("A")) {
        core.deviceACommand();
    }
    if (load.read.keyCheckAfterDevice) {
        settings.keyCheck = *load.read.keyCheckAfterDevice;
    }
    core.repeatCommand(settings.repeat);
    core.transposeCommand(0);
    settings.top = toFileUnits(y());
    settings.left = toFileUnits(x());
    if (context_.applySynthesizerSettings) {
        context_.applySynthesizerSettings();
    }
    if (settings.lyricsShown && context_.showLyrics) {
        context_.showLyrics(true);
    }
    if (settings.channelsShown && context_.showChannels) {
        context_.showChannels(true);
    }
    return true;
}

void PlayerWindow::saveConfig() {
    context_.player.closeSession();
    if (!configWritten_) {
        configWritten_ = true;
        config::Settings& settings = context_.settings;
        settings.top = toFileUnits(y());
        settings.left = toFileUnits(x());
        const platform::WriteResult written =
            config::saveConfigFile(context_.module.configPath, settings);
        if (!written.ok) {
            context_.interaction.showMessage(
                QStringLiteral("設定ファイルを保存できませんでした。\n") + written.error,
                platform::MessageIcon::Critical);
        }
    }
    if (parts_.quit) {
        parts_.quit();
    }
}

void PlayerWindow::taskTrayCommand() {
    if (!context_.enterTray) {
        return;
    }
    context_.module.mainReload = true;
    context_.enterTray();
}

void PlayerWindow::lyricsCommand() {
    if (context_.showLyrics) {
        context_.showLyrics(!context_.settings.lyricsShown);
    }
}

void PlayerWindow::channelsCommand() {
    if (context_.showChannels) {
        context_.showChannels(!context_.settings.channelsShown);
    }
}

void PlayerWindow::exitCommand() {
    close();
}

// Open and add commands ---------------------------------------------------------------

void PlayerWindow::openFileCommand() {
    openCommand(parts_.dialogs.openFilesDialog(this, QString::fromUtf8(OpenFilesTitle)), false);
}

void PlayerWindow::openFolderCommand() {
    openCommand(parts_.dialogs.browseFolder(this, QString::fromUtf8(FolderTitle)), true);
}

void PlayerWindow::addFileCommand() {
    addCommand(parts_.dialogs.openFilesDialog(this, QString::fromUtf8(AddFilesTitle)), false);
}

void PlayerWindow::addFolderCommand() {
    addCommand(parts_.dialogs.browseFolder(this, QString::fromUtf8(FolderTitle)), true);
}

void PlayerWindow::openCommand(const QString& selection, bool folder) {
    if (selection.isEmpty()) {
        return;
    }
    player::Player& core = context_.player;
    // The song in play may be a file of the work folder: closed before it is emptied.
    if (core.sessionOpen()) {
        core.closeSession();
    }
    emptyWorkFolder();
    core.clearPlayList();
    WaitPointer wait;
    showLoading();
    core.appendEntries(takeIn(selection, folder));
    if (core.repeatMode() == static_cast<std::int16_t>(player::RepeatModes::Shuffle)) {
        core.rebuildShuffleOrder();
    }
    if (playerState().listLast() != -1) {
        core.playEntry(0);
        songList_->selectLine(0);
        enableAddCommands();
    }
    afterOpening();
}

void PlayerWindow::addCommand(const QString& selection, bool folder) {
    if (selection.isEmpty()) {
        return;
    }
    player::Player& core = context_.player;
    WaitPointer wait;
    core.appendEntries(takeIn(selection, folder));
    if (core.repeatMode() == static_cast<std::int16_t>(player::RepeatModes::Shuffle)) {
        core.rebuildShuffleOrder();
    }
    core.showCaption();
}

void PlayerWindow::dropFiles(const QStringList& paths) {
    const QString selection = selectionFromDrop(paths);
    if (selection.isEmpty()) {
        return;
    }
    player::Player& core = context_.player;
    WaitPointer wait;
    if (playerState().listLast() != -1) {
        core.appendEntries(takeIn(selection, false));
        core.showCaption();
        return;
    }
    showLoading();
    core.appendEntries(takeIn(selection, false));
    core.playEntry(0);
    songList_->selectLine(0);
    enableAddCommands();
    afterOpening();
}

void PlayerWindow::openCommandLine(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    player::Player& core = context_.player;
    intake::InteractionReporter reporter(context_.interaction);
    intake::Intake intake(context_.module, context_.settings, parts_.extractor, reporter);
    core.appendEntries(intake.addFiles(selectionFromCommandLine(text)));
    enableAddCommands();
    core.showCaption();
}

std::vector<intake::SongEntry> PlayerWindow::takeIn(const QString& selection, bool folder) {
    parts_.windows.showProgress(this);
    WindowReporter reporter(context_.interaction, parts_.windows);
    intake::Intake intake(context_.module, context_.settings, parts_.extractor, reporter);
    std::vector<intake::SongEntry> entries =
        folder ? intake.addFolder(selection, selection) : intake.addFiles(selection);
    parts_.windows.closeProgress();
    return entries;
}

void PlayerWindow::showLoading() {
    setTitleText(QString::fromUtf8(LoadingText));
    setTitleLeft(player::kTitleStartLeft);
}

void PlayerWindow::afterOpening() {
    // Nothing came in: the title line shows the program again, and the monitor has no
    // song to follow.
    if (playerState().listLast() == -1) {
        context_.player.dropPlayRequest();
        setTitleText(context_.module.appTitle + u' ' + context_.module.appVersion);
        setTitleLeft(player::kTitleStartLeft);
    }
}

void PlayerWindow::enableAddCommands() {
    addFileAction_->setEnabled(true);
    addFolderAction_->setEnabled(true);
}

void PlayerWindow::emptyWorkFolder() {
    const QString& work = context_.module.workFolder;
    if (work.isEmpty()) {
        return;
    }
    const QDir folder(work);
    for (const QString& name : folder.entryList(QDir::Files)) {
        if (!QFile::remove(folder.filePath(name))) {
            qCWarning(lcMainWindow) << "cannot remove" << folder.filePath(name);
        }
    }
    // The archives' folders go with their members (links in them are removed, not followed).
    const QStringList archiveFolders =
        folder.entryList({QLatin1String(intake::ArchiveFolderPrefix) + u'*'},
                         QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : archiveFolders) {
        if (!QDir(folder.filePath(name)).removeRecursively()) {
            qCWarning(lcMainWindow) << "cannot remove" << folder.filePath(name);
        }
    }
}

}  // namespace vesk::ui
