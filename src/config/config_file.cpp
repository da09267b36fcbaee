#include "config/config_file.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vesk::config {

QString chooseConfigPath(const QString& programFolder, const QString& userConfigFolder) {
    QString beside = QDir(programFolder).filePath(QLatin1String(ConfigFileName));
    if (QFileInfo::exists(beside) ||
        ::access(QFile::encodeName(programFolder).constData(), W_OK) == 0) {
        return beside;
    }
    return QDir(userConfigFolder)
        .filePath(QStringLiteral("veskmidi/") + QLatin1String(ConfigFileName));
}

QString userConfigFolder() {
    QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(QFile::decodeName(xdg))) {
        return QFile::decodeName(xdg);
    }
    return QDir::homePath() + QStringLiteral("/.config");
}

ConfigLoad loadConfigFile(const QString& path) {
    ConfigLoad load;
    QFile file(path);
    if (!file.exists()) {
        load.read.valid = true;
        return load;
    }
    load.exists = true;
    // A settings file is a few hundred bytes; a huge one is not ours and reads as invalid.
    constexpr qint64 MaxConfigSize = 1 << 20;
    if (file.open(QIODevice::ReadOnly) && file.size() <= MaxConfigSize) {
        load.read = readConfig(file.readAll());
    }
    return load;
}

platform::WriteResult saveConfigFile(const QString& path, const Settings& settings) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    // A writer killed before its rename leaves its temporary file; only one player writes
    // the file, so any such file is a leftover and goes before it could pile up.
    const QFileInfo info(path);
    const QFileInfo target(info.isSymLink() ? info.symLinkTarget() : path);
    QDir folder = target.absoluteDir();
    for (const QString& name :
         folder.entryList({target.fileName() + QStringLiteral(".tmp-??????")}, QDir::Files)) {
        folder.remove(name);
    }
    return platform::writeFileAtomically(path, writeConfig(settings));
}

}  // namespace vesk::config
