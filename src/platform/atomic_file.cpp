#include "platform/atomic_file.h"

#include "platform/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace vesk::platform {
namespace {

QString systemError(const QString& what, const QString& path) {
    return QStringLiteral("%1 %2: %3")
        .arg(what, path, QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

WriteResult writeFileAtomically(const QString& givenPath, const QByteArray& bytes) {
    // A user who links the file elsewhere (dotfiles) keeps the link; the target is replaced.
    QFileInfo info(givenPath);
    const QString path = info.isSymLink() ? info.symLinkTarget() : givenPath;
    QByteArray target = QFile::encodeName(path);
    QByteArray tmpl = target + ".tmp-XXXXXX";
    FileDescriptor fd(::mkstemp(tmpl.data()));
    if (fd.get() < 0) {
        return {false, systemError(QStringLiteral("cannot create"), path)};
    }
    auto fail = [&](const QString& what) {
        WriteResult result{false, systemError(what, path)};
        ::unlink(tmpl.constData());
        return result;
    };
    // mkstemp creates 0600; the new file keeps the old one's permissions, or is an
    // ordinary user file.
    struct stat old {};
    mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd.get(), mode) != 0) {
        return fail(QStringLiteral("cannot set permissions of"));
    }
    if (!writeAll(fd.get(), bytes.constData(), static_cast<std::size_t>(bytes.size()))) {
        return fail(QStringLiteral("cannot write"));
    }
    if (::fsync(fd.get()) != 0) {
        return fail(QStringLiteral("cannot write"));
    }
    if (fd.close() != 0) {
        return fail(QStringLiteral("cannot write"));
    }
    if (::rename(tmpl.constData(), target.constData()) != 0) {
        return fail(QStringLiteral("cannot replace"));
    }
    // Make the rename itself durable.
    QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    FileDescriptor dirFd(::open(dir.constData(), O_RDONLY | O_DIRECTORY));
    if (dirFd.get() >= 0) {
        ::fsync(dirFd.get());
    }
    return {true, {}};
}

}  // namespace vesk::platform
