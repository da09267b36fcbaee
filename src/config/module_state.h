#pragma once
// The module-wide values that start-up settles and every subsystem reads. One object of
// this type exists for the whole run; it is passed by reference, never reached globally.

#include <QString>
#include <QStringList>

namespace vesk::config {

// The player's own entries in the work folder: the hand-off folder and the lock's folder.
// Nothing extracted may be written into or over them, and cleaning leaves them.
inline constexpr const char* HandoffFolderName = "FileNames";
inline constexpr const char* LockFolderName = "Lock";

struct ModuleState {
    // Linux passes an argument array: each argument is one quoted path ("\"" + path + "\""),
    // opened one after the other.
    QStringList commandText;
    QString workFolder;     // ends with "/"
    QString handoffFolder;  // WorkFolder + "FileNames"
    QString programFolder;  // ends with "/"
    QString configPath;     // the "vmidi.ini" in use
    QString appTitle = QStringLiteral("VESK MIDI PLAYER");
    QString appVersion;
    bool haveLzhReader = false;
    bool haveZipReader = false;
    bool haveRarReader = false;
    bool haveRcpConverter = false;
    // True while the main window is closed for tray mode and will be opened again: it then
    // neither reads nor writes the configuration and keeps the song playing.
    bool mainReload = false;
};

}  // namespace vesk::config
