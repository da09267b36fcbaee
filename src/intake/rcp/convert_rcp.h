#pragma once
// Recomposer files converted on disk: for the player (into the work folder) and for the
// command line (`veskmidi --convert IN OUT.mid`).

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace vesk::intake {

// Converts the Recomposer file at `path` into a Standard MIDI File inside `workFolder`
// (which ends with "/") and returns the new file's name without folder: the source's
// name with its last three characters replaced by "mid" (x.G36 -> x.mid). An existing
// file of that name is replaced atomically. Returns an empty text on any failure.
QString convertRcp(const QString& path, const QString& workFolder);

// `args` are the words after "--convert" (a leading "--convert" is skipped as well):
// IN and OUT. OUT is overwritten if it exists, since the user named it explicitly, but
// never when it is IN itself. Returns 0 on success, 1 when reading, converting or
// writing fails, 2 for wrong arguments; messages go to `err`, a one-line report to `out`.
int runConvertTool(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace vesk::intake
