#pragma once
// The module-wide values that start-up settles and every subsystem reads. One object of
// this type exists for the whole run; it is passed by reference, never reached globally.

#include <QString>
#include <QStringList>

namespace vesk::app {

struct ModuleState {
    // Linux passes an argument array: each argument is one quoted path ("\"" + path + "\""),
    // opened one after the other.
    QStringList CommandText;
    QString WorkFolder;     // ends with "/"
    QString HandoffFolder;  // WorkFolder + "FileNames"
    QString ProgramFolder;  // ends with "/"
    QString ConfigPath;     // the "vmidi.ini" in use
    QString AppTitle = QStringLiteral("VESK MIDI PLAYER");
    QString AppVersion;
    bool HaveUnlha32 = false;
    bool HaveUnzip32 = false;
    bool HaveUnrar = false;
    bool HaveRcpcv = false;
    // True while the main window is closed for tray mode and will be opened again: it then
    // neither reads nor writes the configuration and keeps the song playing.
    bool MainReload = false;
};

}  // namespace vesk::app
