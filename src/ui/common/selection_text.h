#pragma once
// The selection text the intake takes: one full path, or a folder followed, for each
// file, by a NUL and the file's name.

#include <QString>
#include <QStringList>

namespace vesk::ui {

// Dropped paths: the folder of the first one, then NUL and the name of each in drop
// order; every name is taken to lie in the first one's folder. Empty for no paths.
QString selectionFromDrop(const QStringList& paths);

// Paths chosen together in one folder: the path itself for one, otherwise as a drop.
QString selectionFromChoice(const QStringList& paths);

// A command-line text: quoted (a double quote anywhere) it is one path without its first
// and last characters; with spaces it is several paths split at single spaces, taken as
// a drop; otherwise the text itself.
QString selectionFromCommandLine(const QString& text);

}  // namespace vesk::ui
