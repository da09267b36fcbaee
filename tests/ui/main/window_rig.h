#pragma once
// The main window on a real player core: a recording MIDI output, a sequencer driven by a
// virtual clock, scripted dialogs, recorded small windows and no timer, so tests drive
// every tick and answer every dialog themselves.

#include <QDir>
#include <QStringList>
#include <chrono>
#include <deque>
#include <memory>
#include <vector>

#include "config/module_state.h"
#include "config/settings.h"
#include "engine/engine.h"
#include "intake/archive_extract.h"
#include "platform/clock.h"
#include "platform/user_interaction.h"
#include "player/player.h"
#include "sequencer/sequencer_backend.h"
#include "sequencer/smf_builder.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"
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

// A one-track song with a title, one note, and its end after `lengthMs` at 120 BPM.
inline QByteArray songBytes(const QByteArray& title, int lengthMs = 4000) {
    using vesk::test::Track;
    constexpr int kDivision = 480;
    Track track;
    track.raw({0x00, 0xFF, 0x03, static_cast<int>(title.size())});
    for (char c : title) {
        track.raw({static_cast<unsigned char>(c)});
    }
    track.tempo(0, 500000);
    track.at(0, {0x90, 60, 100});
    track.at(static_cast<std::uint32_t>(lengthMs * kDivision * 2 / 1000), {0x80, 60, 0});
    track.end();
    return vesk::test::toQByteArray(vesk::test::smf(0, kDivision, {track}));
}

struct WindowRig {
    WindowRig()
        : backend(output, clock, sequencer::SequencerBackend::Drive::Manual),
          engine(backend, output, interaction, QStringLiteral("VESK MIDI PLAYER"), clock),
          extractor(module, settings) {
        module.workFolder = dir.path() + "/work/";
        module.handoffFolder = module.workFolder + "FileNames";
        module.programFolder = dir.path() + "/program/";
        module.configPath = module.programFolder + "vmidi.ini";
        module.appVersion = "Ver 1.0";
        QDir().mkpath(module.handoffFolder);
        QDir().mkpath(module.programFolder);
        player = std::make_unique<player::Player>(engine, settings, module, interaction, random,
                                                  player::PlayerServices{});
    }

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

    // Opens `count` songs named s1.mid... through the open-file command.
    void openSongs(int count) {
        QStringList names;
        for (int i = 1; i <= count; ++i) {
            const QString name = QString("s%1.mid").arg(i);
            song(name, "Song " + QByteArray::number(i));
            names.append(name);
        }
        dialogs.answers.push_back(selection(names));
        window->openFileCommand();
    }

    // Lets playback run for `ms` of clock time, the monitor ticking every 250 ms.
    void run(int ms) {
        for (int t = 0; t < ms; t += 250) {
            clock.advance(std::chrono::milliseconds(250));
            backend.pump(clock.now());
            player->monitorTick(250);
        }
    }

    QStringList titles() const {
        QStringList out;
        for (const auto& e : player->state().playList) {
            out.append(e.title);
        }
        return out;
    }

    vesk::test::TempDir dir;
    platform::VirtualClock clock;
    platform::RecordingMidiOutputService output;
    sequencer::SequencerBackend backend;
    platform::RecordingInteraction interaction;
    engine::Engine engine;
    config::Settings settings;
    config::ModuleState module;
    intake::ArchiveExtractor extractor;
    class FixedRandom final : public player::RandomSource {
      public:
        void seed() override {}
        double next() override { return 0.0; }
    } random;
    std::unique_ptr<player::Player> player;
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
};

}  // namespace vesk::ui::test
