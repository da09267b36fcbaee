#pragma once
// The program's own command-line tools ("--render", "--info", "--convert", ...): they run
// without a window and never touch a running player.

#include <QStringList>
#include <QTextStream>

namespace vesk::app {

// `args` are the arguments after the program name; the first starts with "--".
int runTool(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace vesk::app
