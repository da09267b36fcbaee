#pragma once
// The work folder: where archive members and converted songs are put, and below which the
// hand-off folder and the instance lock live. The player deletes files in it at every
// start, so it must be the user's own, private folder.

#include <QString>

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

// Deletes the files directly inside the folder (left-overs of earlier runs); sub-folders
// and what they hold stay. Symbolic links are removed, never followed.
void cleanWorkFolder(const QString& workFolder);

}  // namespace vesk::app
