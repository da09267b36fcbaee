#pragma once
// A private temporary folder for one test, removed with everything in it afterwards.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace vesk::test {

class TempDir {
  public:
    TempDir();
    // Path of the folder, without a trailing separator.
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    // Writes `bytes` to `name` inside the folder (creating sub-folders) and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const;
    // Writes a file whose name is exactly these bytes (in a sub-folder that exists) and returns its
    // path as the program holds paths (see platform/file_path.h).
    QString writeNamed(const QByteArray& name, const QByteArray& bytes) const;

  private:
    QTemporaryDir dir_;
};

QByteArray readAll(const QString& path);

// The folder shared beside the project (test songs and reader test files).
QString sharedDir();

}  // namespace vesk::test
