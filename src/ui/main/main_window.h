#pragma once
// The main window as start-up sees it: created once, loaded (which reads the
// configuration), shown. Start-up knows nothing else of it.

#include <QWidget>
#include <memory>

#include "app/config/module_state.h"
#include "app/config/settings.h"
#include "platform/user_interaction.h"

namespace vesk::ui {

struct MainWindowContext {
    app::ModuleState& module;
    app::Settings& settings;
    platform::UserInteraction& interaction;
};

class MainWindow {
  public:
    virtual ~MainWindow() = default;
    // The window's load: reads the configuration and opens the command line. False when
    // the program must end at once (invalid configuration, message already shown).
    virtual bool load() = 0;
    virtual void show() = 0;
};

std::unique_ptr<MainWindow> createMainWindow(MainWindowContext& context);

}  // namespace vesk::ui
