#pragma once
// Where "vmidi.ini" lives, and reading and writing it as a file.

#include <QString>

#include "config/settings.h"
#include "platform/atomic_file.h"

namespace vesk::config {

// Beside the program when that folder already holds the file or can be written (portable
// use); otherwise, and always for an installed program, in the user's configuration
// folder (`userConfigFolder`/veskmidi).
QString chooseConfigPath(const QString& programFolder, const QString& userConfigFolder);

// $XDG_CONFIG_HOME, else ~/.config.
QString userConfigFolder();

struct ConfigLoad {
    bool exists = false;
    ConfigReadResult read;  // when !exists: defaults, valid
    // Why an existing file was not read (not a regular file, too big, unreadable), naming
    // it; empty when it was read. `read` is then invalid.
    QString refusal;
};

ConfigLoad loadConfigFile(const QString& path);

// Creates the folder if needed and writes the file atomically.
platform::WriteResult saveConfigFile(const QString& path, const Settings& settings);

}  // namespace vesk::config
