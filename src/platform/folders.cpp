#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>

namespace vesk::platform {

QString executableFolder() {
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString folder = exe.isEmpty() ? QDir::currentPath() : QFileInfo(exe).absolutePath();
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

}  // namespace vesk::platform
