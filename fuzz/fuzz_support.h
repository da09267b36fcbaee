#pragma once
// What the fuzz targets share: quiet logging, the input as Qt bytes, a scratch folder, and
// the check that turns a broken promise into a crash libFuzzer records.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace vesk::fuzz {

// The readers log every flaw of their input; at thousands of inputs a second that is
// only noise. Fatal messages still end the run.
inline void quietLogging() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
            std::abort();
        }
    });
}

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A property every input must keep; a violation is a finding like a crash.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

// One private folder for the whole run, emptied before each input.
class Scratch {
  public:
    Scratch() { require(dir_.isValid(), "scratch folder"); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    void clear() const {
        QDir dir(dir_.path());
        for (const QString& name :
             dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            const QString path = dir.filePath(name);
            const QFileInfo info(path);
            if (info.isDir() && !info.isSymLink()) {
                QDir(path).removeRecursively();
            } else {
                QFile::remove(path);
            }
        }
    }

  private:
    QTemporaryDir dir_;
};

}  // namespace vesk::fuzz
