#pragma once
// The main window as start-up sees it: made once, loaded, shown; closed and loaded again
// around tray mode.

#include <QWidget>
#include <functional>
#include <memory>

#include "config/module_state.h"
#include "config/settings.h"
#include "intake/archive_extract.h"
#include "platform/user_interaction.h"
#include "player/player.h"
#include "ui/info/version_window.h"

namespace vesk::ui {

struct MainWindowContext {
    config::ModuleState& module;
    config::Settings& settings;
    platform::UserInteraction& interaction;
    player::Player& player;
    // Run after the configuration was read: the synthesizer takes the configured SoundFont.
    std::function<void()> applySynthesizerSettings = {};
    // Shows the options dialog (not modal) for the main window; empty when there is
    // none.
    std::function<void(QWidget* mainWindow)> showOptions = {};
    // Shows the tray window after `mainReload` was set; the tray window then closes this
    // window with closeWindow(). Empty when there is no tray: the command is disabled.
    std::function<void()> enterTray = {};
    // What the version window shows.
    VersionTexts version = {};
    // The extractor the song loader uses, so that both know what it did last; the window
    // makes its own when none is given.
    intake::ArchiveExtractor* extractor = nullptr;
    // Opens or closes the lyrics window; empty when there is none.
    std::function<void(bool shown)> showLyrics = {};
    // Opens or closes the channel window; empty when there is none.
    std::function<void(bool shown)> showChannels = {};
};

class MainWindow {
  public:
    virtual ~MainWindow() = default;
    // The window's load. The first time (`mainReload` false) it reads the configuration
    // and opens the command line; false means the program must end at once (invalid
    // configuration, message already shown). With `mainReload` set (back from the tray)
    // it shows the list and the song in progress instead.
    virtual bool load() = 0;
    virtual void show() = 0;
    // The closing sequence: a real quit while `mainReload` is false (the sequencer is
    // closed, the configuration written and the program ends); otherwise the window only
    // goes away and playback goes on.
    virtual void closeWindow() = 0;
    // The quit itself: closes the sequencer, writes the configuration once and ends the
    // program. Quitting from the tray ends through the closed main window's.
    virtual void saveConfig() = 0;
};

// The window with Qt's dialogs, the information windows and the desktop's services.
std::unique_ptr<MainWindow> createMainWindow(MainWindowContext& context);

}  // namespace vesk::ui
