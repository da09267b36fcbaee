#pragma once

#include <QString>

namespace vesk::platform {

// The folder of the running program, ending with "/".
QString executableFolder();

// For a program installed as <prefix>/bin/veskmidi with its data in
// <prefix>/share/veskmidi/, that data folder ending with "/"; empty for a program run
// from its build or unpacked folder.
QString installedDataFolder(const QString& programFolder);

}  // namespace vesk::platform
