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
#include "ui/main/window_reporter.h"

Q_LOGGING_CATEGORY(lcMainWindow, "vesk.ui.main")

namespace vesk::ui {
namespace {

constexpr char InvalidConfigText[] = "設定ファイルが不正です。異常終了します。";
constexpr char OpenFilesTitle[] = "新しくファイルを開く";
constexpr char AddFilesTitle[] = "ファイルを追加";
constexpr char FolderTitle[] = "MIDIデータのあるフォルダを選択してください";
constexpr char LoadingText[] = "Now Loading...";
constexpr char ListFullText[] =
    "リストに入る曲は32767曲までです。それより後のファイルは追加されませんでした。";
constexpr int kDefaultPlaceTwips = 2000;

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
    return QPoint(kDefaultPlaceTwips / kTwipsPerPixel, kDefaultPlaceTwips / kTwipsPerPixel);
}

}  // namespace

bool F_1::addCommandsEnabled() const {
    return mnu_AddFile_->isEnabled() && mnu_AddFolder_->isEnabled();
}

// Load and close ----------------------------------------------------------------------

bool F_1::load() {
    config::ModuleState& module = context_.module;
    player::Player& core = context_.player;
    const bool reload = module.mainReload;
    mnu_AddFile_->setEnabled(false);
    mnu_AddFolder_->setEnabled(false);
    CanShowInfo_ = false;
    if (!reload) {
        core.attachView(*this, player::WindowMode::Main);
        if (!SetConfig()) {
            return false;
        }
    }
    QWidget::show();
    context_.interaction.processEvents();
    setWindowTitle(module.appTitle);
    setTitleText(module.appTitle + u' ' + module.appVersion);
    for (std::size_t i = 0; i < Img_Tool_.size(); ++i) {
        Img_Tool_[i]->setPicture(Img_ToolA_[i]);
    }
    if (parts_.runTimer) {
        Tmr1_.start();
    }
    CanShowInfo_ = true;
    core.setInfoShown(false);

    if (!module.commandText.isEmpty()) {
        WaitPointer wait;
        showLoading();
        context_.interaction.processEvents();
        for (const QString& text : module.commandText) {
            OpenCommandLine(text);
        }
        core.playEntry(0);
        SongList_->selectLine(0);
        afterOpening();
    }
    module.commandText.clear();

    if (reload) {
        // Back from the tray: the list and the song in progress, where the window was.
        core.returnFromTray(*this);
        move(onScreen(
            QPoint(context_.settings.left / kTwipsPerPixel, context_.settings.top / kTwipsPerPixel),
            frameGeometry().size()));
    }
    stateChanged();
    return true;
}

bool F_1::SetConfig() {
    config::Settings& settings = context_.settings;
    player::Player& core = context_.player;
    const config::ConfigLoad load = config::loadConfigFile(context_.module.configPath);
    if (!load.read.valid) {
        context_.interaction.showMessage(QString::fromUtf8(InvalidConfigText),
                                         platform::MessageIcon::Critical);
        return false;
    }
    // Device A first, as at design time; the file's choice then runs its own command.
    core.deviceACommand();
    settings = load.read.settings;
    const double top = load.read.top.value_or(kDefaultPlaceTwips);
    const double left = load.read.left.value_or(kDefaultPlaceTwips);
    move(onScreen(
        QPoint(static_cast<int>(left / kTwipsPerPixel), static_cast<int>(top / kTwipsPerPixel)),
        frameGeometry().size()));
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
    settings.top = y() * kTwipsPerPixel;
    settings.left = x() * kTwipsPerPixel;
    if (context_.applySynthesizerSettings) {
        context_.applySynthesizerSettings();
    }
    return true;
}

void F_1::SaveConfig() {
    context_.player.closeSession();
    if (!configWritten_) {
        configWritten_ = true;
        config::Settings& settings = context_.settings;
        settings.top = y() * kTwipsPerPixel;
        settings.left = x() * kTwipsPerPixel;
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

void F_1::taskTrayCommand() {
    if (!context_.enterTray) {
        return;
    }
    context_.module.mainReload = true;
    context_.enterTray();
}

void F_1::exitCommand() {
    close();
}

// Open and add commands ---------------------------------------------------------------

void F_1::openFileCommand() {
    openCommand(parts_.dialogs.OpenFilesDialog(this, QString::fromUtf8(OpenFilesTitle)), false);
}

void F_1::openFolderCommand() {
    openCommand(parts_.dialogs.BrowseFolder(this, QString::fromUtf8(FolderTitle)), true);
}

void F_1::addFileCommand() {
    addCommand(parts_.dialogs.OpenFilesDialog(this, QString::fromUtf8(AddFilesTitle)), false);
}

void F_1::addFolderCommand() {
    addCommand(parts_.dialogs.BrowseFolder(this, QString::fromUtf8(FolderTitle)), true);
}

void F_1::openCommand(const QString& selection, bool folder) {
    if (selection.isEmpty()) {
        return;
    }
    player::Player& core = context_.player;
    // The song in play may be a file of the work folder: closed before it is emptied.
    if (core.sessionOpen()) {
        core.closeSession();
    }
    emptyWorkFolder();
    core.state().playList.clear();
    WaitPointer wait;
    showLoading();
    appendEntries(takeIn(selection, folder));
    core.updateList(-1);
    if (core.repeatMode() == static_cast<std::int16_t>(player::RepeatModes::Shuffle)) {
        core.rebuildShuffleOrder();
    }
    if (core.state().listLast() != -1) {
        core.playEntry(0);
        SongList_->selectLine(0);
        enableAddCommands();
    }
    afterOpening();
}

void F_1::addCommand(const QString& selection, bool folder) {
    if (selection.isEmpty()) {
        return;
    }
    player::Player& core = context_.player;
    WaitPointer wait;
    // The intake lets the timer run, and a hand-off taken in meanwhile is already shown:
    // the display continues from the list as it stands when these entries arrive.
    const std::vector<intake::SongEntry> entries = takeIn(selection, folder);
    const std::int16_t last = core.state().listLast();
    appendEntries(entries);
    core.updateList(last);
    if (core.repeatMode() == static_cast<std::int16_t>(player::RepeatModes::Shuffle)) {
        core.rebuildShuffleOrder();
    }
    core.showCaption();
}

void F_1::dropFiles(const QStringList& paths) {
    const QString selection = selectionFromDrop(paths);
    if (selection.isEmpty()) {
        return;
    }
    player::Player& core = context_.player;
    WaitPointer wait;
    const std::int16_t last = core.state().listLast();
    if (last != -1) {
        const std::vector<intake::SongEntry> entries = takeIn(selection, false);
        const std::int16_t shownLast = core.state().listLast();
        appendEntries(entries);
        core.updateList(shownLast);
        core.showCaption();
        return;
    }
    showLoading();
    appendEntries(takeIn(selection, false));
    core.updateList(-1);
    core.playEntry(0);
    SongList_->selectLine(0);
    enableAddCommands();
    afterOpening();
}

void F_1::OpenCommandLine(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    player::Player& core = context_.player;
    intake::InteractionReporter reporter(context_.interaction);
    intake::Intake intake(context_.module, context_.settings, parts_.extractor, reporter);
    const std::vector<intake::SongEntry> entries = intake.addFiles(selectionFromCommandLine(text));
    const std::int16_t last = core.state().listLast();
    appendEntries(entries);
    core.updateList(last);
    enableAddCommands();
    core.showCaption();
}

std::vector<intake::SongEntry> F_1::takeIn(const QString& selection, bool folder) {
    parts_.windows.showProgress(this);
    WindowReporter reporter(context_.interaction, parts_.windows);
    intake::Intake intake(context_.module, context_.settings, parts_.extractor, reporter);
    std::vector<intake::SongEntry> entries =
        folder ? intake.addFolder(selection, selection) : intake.addFiles(selection);
    parts_.windows.closeProgress();
    return entries;
}

void F_1::appendEntries(const std::vector<intake::SongEntry>& entries) {
    std::vector<intake::SongEntry>& list = context_.player.state().playList;
    const std::size_t room = static_cast<std::size_t>(player::kMaxEntries) -
                             std::min(list.size(), std::size_t{player::kMaxEntries});
    const std::size_t taken = std::min(room, entries.size());
    list.insert(list.end(), entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(taken));
    if (taken < entries.size()) {
        qCWarning(lcMainWindow) << "list full," << entries.size() - taken << "entries left out";
        context_.interaction.showMessage(QString::fromUtf8(ListFullText),
                                         platform::MessageIcon::Exclamation);
    }
}

void F_1::showLoading() {
    setTitleText(QString::fromUtf8(LoadingText));
    setTitleLeft(player::kTitleStartLeft);
}

void F_1::afterOpening() {
    // Nothing came in: the title line shows the program again, and the monitor has no
    // song to follow.
    if (context_.player.state().listLast() == -1) {
        context_.player.state().playRequested = false;
        setTitleText(context_.module.appTitle + u' ' + context_.module.appVersion);
        setTitleLeft(player::kTitleStartLeft);
    }
}

void F_1::enableAddCommands() {
    mnu_AddFile_->setEnabled(true);
    mnu_AddFolder_->setEnabled(true);
}

void F_1::emptyWorkFolder() {
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
}

}  // namespace vesk::ui
