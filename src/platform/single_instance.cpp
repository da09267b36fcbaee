#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace vesk::platform {

std::unique_ptr<InstanceLock> InstanceLock::tryAcquire(const QString& lockFile, QString* error) {
    QDir().mkpath(QFileInfo(lockFile).absolutePath());
    int fd = ::open(QFile::encodeName(lockFile).constData(),
                    O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        if (error != nullptr) {
            *error = QStringLiteral("%1: %2").arg(lockFile,
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        }
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() {
    ::close(fd_);
}

}  // namespace vesk::platform
