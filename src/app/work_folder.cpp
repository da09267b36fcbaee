#include "app/work_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace vesk::app {

QString runtimeBase() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QFile::decodeName(runtime)).isDir()) {
        return QFile::decodeName(runtime);
    }
    return QDir::tempPath();
}

WorkFolderResult prepareWorkFolder(const QString& base) {
    QString path = base;
    if (!path.endsWith(u'/')) {
        path += u'/';
    }
    path += QStringLiteral("Vesk_Midi");
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        if (errno != ENOENT || ::mkdir(native.constData(), 0700) != 0) {
            return {{},
                    QStringLiteral("作業フォルダ %1 を作成できません: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errno)))};
        }
        return {path + u'/', {}};
    }
    if (S_ISLNK(st.st_mode)) {
        return {
            {},
            QStringLiteral("作業フォルダ %1 はシンボリックリンクです。安全のため起動を中止します。")
                .arg(path)};
    }
    if (!S_ISDIR(st.st_mode)) {
        return {{},
                QStringLiteral("作業フォルダ %1 はフォルダではありません。起動を中止します。")
                    .arg(path)};
    }
    if (st.st_uid != ::getuid()) {
        return {
            {},
            QStringLiteral("作業フォルダ %1 は他のユーザーのものです。安全のため起動を中止します。")
                .arg(path)};
    }
    if ((st.st_mode & 077) != 0) {
        ::chmod(native.constData(), 0700);
    }
    return {path + u'/', {}};
}

namespace {

bool isOwnEntry(const char* name) {
    return std::strcmp(name, config::HandoffFolderName) == 0 ||
           std::strcmp(name, config::LockFolderName) == 0;
}

// Deletes what `parentFd` holds, folders with their contents, without following links.
// `keepOwn`: the player's own entries stay (only at the top of the work folder).
void removeContents(int parentFd, bool keepOwn, int depth) {
    DIR* dir = ::fdopendir(parentFd);
    if (dir == nullptr) {
        ::close(parentFd);
        return;
    }
    const int dirFd = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
            (keepOwn && isOwnEntry(name))) {
            continue;
        }
        struct stat st {};
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            ::unlinkat(dirFd, name, 0);
        } else if (depth < 64) {
            const int child =
                ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                removeContents(child, false, depth + 1);
                ::unlinkat(dirFd, name, AT_REMOVEDIR);
            }
        }
    }
    ::closedir(dir);
}

}  // namespace

void repairWorkFolder(const QString& workFolder) {
    for (const char* own : {config::HandoffFolderName, config::LockFolderName}) {
        const QByteArray path = QFile::encodeName(workFolder) + own;
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0 && !S_ISDIR(st.st_mode)) {
            ::unlink(path.constData());
        }
    }
}

void cleanWorkFolder(const QString& workFolder) {
    const int fd = ::open(QFile::encodeName(workFolder).constData(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        removeContents(fd, true, 0);
    }
}

}  // namespace vesk::app
