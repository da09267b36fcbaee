#pragma once
// The main window on a real player core.

#include <QAction>
#include <deque>
#include <memory>

#include "intake/archive_extract.h"
#include "player/player_rig.h"
#include "ui/main/aux_windows.h"
#include "ui/main/file_dialogs.h"
#include "ui/main/player_window.h"

namespace vesk::ui::test {

// Answers each dialog with the next prepared text ("" = cancelled) and keeps the titles.
class ScriptedDialogs final : public FileDialogs {
  public:
    QString openFilesDialog(QWidget*, const QString& title) override { return next("open", title); }
    QString browseFolder(QWidget*, const QString& title) override { return next("folder", title); }
    QString saveListDialog(QWidget*, const QString& title) override { return next("save", title); }

    std::deque<QString> answers;
    QStringList asked;
    // Runs while a dialog is "on screen".
    std::function<void()> onAsk;

  private:
    QString next(const QString& kind, const QString& title) {
        asked.append(kind + ":" + title);
        if (onAsk) {
            onAsk();
        }
        if (answers.empty()) {
            return {};
        }
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Keeps what the main window asks of ProgressWindow, VersionWindow and SongInfoWindow.
class RecordingWindows final : public AuxWindows {
  public:
    void showVersion(QWidget*) override { calls.append("version"); }
    void showFileInfo(QWidget*, QPoint topLeft, std::function<void()> closedByUser) override {
        calls.append("info-open");
        infoOpen = true;
        infoPlace = topLeft;
        infoClosedByUser = std::move(closedByUser);
    }
    void fillFileInfo(const player::FileInfoTexts& texts) override {
        calls.append("info-fill:" + texts.file);
        info = texts;
    }
    void setFileInfoBpm(const QString& text) override { calls.append("bpm:" + text); }
    void moveFileInfo(QPoint topLeft) override { infoPlace = topLeft; }
    void closeFileInfo() override {
        calls.append("info-close");
        infoOpen = false;
    }
    void showProgress(QWidget* mainWindow) override {
        calls.append("progress-open");
        progressOpen = true;
        if (onProgress) {
            onProgress(mainWindow);
        }
    }
    void showProgressEntry(const intake::SongEntry& entry) override {
        if (progressOpen) {
            progressNames.append(entry.name);
        }
    }
    void closeProgress() override {
        calls.append("progress-close");
        progressOpen = false;
    }
    void closeAll() override { calls.append("close-all"); }

    QStringList calls;
    QStringList progressNames;
    bool infoOpen = false;
    bool progressOpen = false;
    QPoint infoPlace;
    player::FileInfoTexts info;
    std::function<void()> infoClosedByUser;
    // Runs as the progress window opens, before the intake.
    std::function<void(QWidget* mainWindow)> onProgress;
};

using player::test::songBytes;

// Whether the add-file and add-folder commands are offered.
inline bool addCommandsOn(PlayerWindow& w) {
    return w.findChild<QAction*>("mnu_AddFile")->isEnabled() &&
           w.findChild<QAction*>("mnu_AddFolder")->isEnabled();
}

// The player rig with the main window on it: scripted dialogs, recorded small windows and
// no timer, so tests drive every tick and answer every dialog themselves.
struct WindowRig : player::test::PlayerRig {
    WindowRig() : extractor(module, settings) {}

    // The window, made and loaded as start-up does it.
    PlayerWindow& open(bool load = true) {
        context = std::make_unique<MainWindowContext>(MainWindowContext{
            module, settings, interaction, *player, [this] { ++synthesizerApplied; },
            [this](QWidget*) { ++optionsShown; },
            trayAvailable ? [this] { ++trayEntered; } : std::function<void()>()});
        context->showLyrics = showLyrics;
        context->showChannels = showChannels;
        window = std::make_unique<PlayerWindow>(
            *context, PlayerWindowParts{dialogs, windows, extractor, [this] { ++quits; },
                                        [this] { ++volumeStarts; }, runTimer});
        if (load) {
            loaded = window->load();
        }
        return *window;
    }

    // Writes a song file into the test folder.
    QString song(const QString& name, const QByteArray& title, int lengthMs = 4000) {
        return dir.write("songs/" + name, songBytes(title, lengthMs));
    }
    QString songsFolder() const { return dir.path() + "/songs"; }

    // A selection text for songs of the test folder.
    QString selection(const QStringList& names) const {
        if (names.size() == 1) {
            return songsFolder() + "/" + names.first();
        }
        QString text = songsFolder();
        for (const QString& n : names) {
            text += QChar(u'\0') + n;
        }
        return text;
    }

    // Opens `count` songs named s1.mid... through the open-file command; the first plays.
    void openSongs(int count, int lengthMs = 4000) {
        QStringList names;
        for (int i = 1; i <= count; ++i) {
            names.append(QString("s%1.mid").arg(i));
            song(names.last(), "Song " + QByteArray::number(i), lengthMs);
        }
        dialogs.answers.push_back(selection(names));
        shown().openFileCommand();
    }

    QStringList titles() const {
        QStringList out;
        for (const auto& e : player->state().playList) {
            out.append(e.title);
        }
        return out;
    }

    intake::ArchiveExtractor extractor;
    ScriptedDialogs dialogs;
    RecordingWindows windows;
    bool trayAvailable = true;
    std::function<void(bool shown)> showLyrics;
    std::function<void(bool shown)> showChannels;
    bool runTimer = false;
    int synthesizerApplied = 0;
    int optionsShown = 0;
    int trayEntered = 0;
    int quits = 0;
    int volumeStarts = 0;
    bool loaded = false;
    std::unique_ptr<MainWindowContext> context;
    std::unique_ptr<PlayerWindow> window;
    // The main window on screen.
    std::function<PlayerWindow&()> shown = [this]() -> PlayerWindow& { return *window; };
};

}  // namespace vesk::ui::test
