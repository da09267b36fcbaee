#include "config/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/folders.h"
#include "platform/posix_file.h"

namespace vesk::config {

QString chooseConfigPath(const QString& programFolder, const QString& userConfigFolder) {
    QString beside = QDir(programFolder).filePath(QLatin1String(ConfigFileName));
    // An installed program's folder is the system's, writable or not (root, a prefix the
    // user owns): its settings are the user's own.
    if (!platform::installedDataFolder(programFolder).isEmpty()) {
        return QDir(userConfigFolder)
            .filePath(QStringLiteral("veskmidi/") + QLatin1String(ConfigFileName));
    }
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
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 && errno == ENOENT) {
        load.read.valid = true;
        return load;
    }
    load.exists = true;
    // Opened without blocking and checked on the open file: a FIFO or a device (a link to
    // /dev/zero) must neither hang start-up nor be read without end.
    platform::FileDescriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
        load.refusal =
            QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return load;
    }
    if (!S_ISREG(st.st_mode)) {
        load.refusal = QStringLiteral("%1: not a regular file; not read").arg(path);
        return load;
    }
    // A settings file is a few hundred bytes; a huge one is not ours and reads as invalid.
    constexpr qsizetype MaxConfigSize = 1 << 20;
    QByteArray bytes(MaxConfigSize + 1, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n =
            ::read(fd.get(), bytes.data() + got, static_cast<std::size_t>(bytes.size() - got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            load.refusal =
                QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return load;
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (got > MaxConfigSize) {
        load.refusal = QStringLiteral("%1: larger than a settings file can be; not read").arg(path);
        return load;
    }
    bytes.truncate(got);
    load.read = readConfig(bytes);
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
