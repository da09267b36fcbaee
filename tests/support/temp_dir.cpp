#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
