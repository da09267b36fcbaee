#include "support/temp_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/file_path.h"

namespace vesk::test {

TempDir::TempDir() {
    EXPECT_TRUE(dir_.isValid());
}

QString TempDir::write(const QString& name, const QByteArray& bytes) const {
    QString path = file(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
    return path;
}

QString TempDir::writeNamed(const QByteArray& name, const QByteArray& bytes) const {
    const QByteArray native = platform::pathBytes(path()) + '/' + name;
    QFile f;
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    EXPECT_GE(fd, 0) << native.toStdString();
    EXPECT_TRUE(f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(f.write(bytes), bytes.size());
    return platform::pathFromBytes(native);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

QString sharedDir() {
#ifdef VESK_SHARED_DIR
    return QStringLiteral(VESK_SHARED_DIR);
#else
    return QStringLiteral("../shared");
#endif
}

}  // namespace vesk::test
