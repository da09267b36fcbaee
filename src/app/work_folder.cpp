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

void cleanWorkFolder(const QString& workFolder) {
    const QByteArray native = QFile::encodeName(workFolder);
    DIR* dir = ::opendir(native.constData());
    if (dir == nullptr) {
        return;
    }
    int dirFd = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            !S_ISDIR(st.st_mode)) {
            ::unlinkat(dirFd, entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

}  // namespace vesk::app
