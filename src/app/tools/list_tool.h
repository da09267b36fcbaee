#pragma once
// `veskmidi --list PATH...`: the intake without a window. Each path is taken in turn, a
// file as the open dialog's choice would be, a folder as the folder commands scan it.

#include <QStringList>
#include <QTextStream>

#include "config/module_state.h"
#include "config/settings.h"
#include "intake/intake.h"

namespace vesk::app {

// Prints one line per entry to `out`: container, name and title separated by tabs (a tab
// or line break inside a field becomes a space). The messages the intake would show go to
// `err`, one per line (a line break inside a message becomes a space). Returns 0 when no
// message was shown, 1 when some were, 2 when no path was given. The work folder is left
// as the intake leaves it.
int runListTool(const QStringList& paths, const config::ModuleState& module,
                const config::Settings& settings, QTextStream& out, QTextStream& err,
                const intake::TitleFunction& title = intake::songTitle);

}  // namespace vesk::app
