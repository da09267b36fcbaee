#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>

namespace vesk::platform {

QString executableFolder() {
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString folder = exe.isEmpty() ? QDir::currentPath() : QFileInfo(exe).absolutePath();
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString installedDataFolder(const QString& programFolder) {
    const QDir program(programFolder);
    if (program.dirName() != QLatin1String("bin")) {
        return {};
    }
    const QString data =
        QDir::cleanPath(program.absoluteFilePath(QStringLiteral("../share/veskmidi")));
    return QFileInfo(data).isDir() ? data + u'/' : QString();
}

}  // namespace vesk::platform
