#pragma once
// The work folder: where archive members and converted songs are put, and below which the
// hand-off folder and the instance lock live. The player deletes files in it at every
// start, so it must be the user's own, private folder.

#include <QString>

#include "config/module_state.h"

namespace vesk::app {

struct WorkFolderResult {
    QString path;   // ends with "/"; empty on failure
    QString error;  // why the folder cannot be used
};

// The per-user runtime folder ($XDG_RUNTIME_DIR when it is a folder, else the system's
// temporary folder).
QString runtimeBase();

// Creates base + "/Vesk_Midi/" with mode 0700, or checks the one that is there: a symbolic
// link, a non-folder or a folder of another user is refused.
WorkFolderResult prepareWorkFolder(const QString& base);

// Makes the player's own entries usable again before the lock is taken: whatever stands
// in their place that is not a real folder (a file, a link) is removed. A running player
// keeps them as folders, so this never disturbs one.
void repairWorkFolder(const QString& workFolder);

// Deletes everything in the folder except the player's own entries: the files left over
// from earlier runs and the folders archives' members were written to, with what they
// hold. Symbolic links are removed, never followed. Only the lock's holder calls this.
void cleanWorkFolder(const QString& workFolder);

}  // namespace vesk::app
