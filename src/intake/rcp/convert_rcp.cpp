#include "intake/rcp/convert_rcp.h"

#include "intake/rcp/rcp_converter.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

#include <algorithm>

namespace vesk::intake {

namespace {

Q_LOGGING_CATEGORY(lcRcp, "vesk.intake.rcp")

bool readSource(const QString& path, QByteArray& bytes, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    // One byte past the cap is enough to tell that the file is too large.
    bytes = file.read(RcpLimits::kMaxInputBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool convertFile(const QString& source, const QString& target, QString& error) {
    QByteArray bytes;
    if (!readSource(source, bytes, error)) {
        return false;
    }
    const RcpResult result = convertRcpToSmf(bytes);
    if (!result.ok()) {
        error = QStringLiteral("cannot convert %1: %2").arg(source, result.message);
        return false;
    }
    return writeAtomically(target, result.smf, error);
}

}  // namespace

QString convertRcp(const QString& path, const QString& workFolder) {
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (fileName.isEmpty()) {
        qCWarning(lcRcp) << "no Recomposer file named in" << path;
        return {};
    }
    const QString name = fileName.left(std::max<qsizetype>(0, fileName.size() - 3)) + "mid";
    QString folder = workFolder;
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    QString error;
    if (!convertFile(path, folder + name, error)) {
        qCWarning(lcRcp).noquote() << error;
        return {};
    }
    return name;
}

int runConvertTool(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList words = args;
    if (!words.isEmpty() && words.front() == QLatin1String("--convert")) {
        words.removeFirst();
    }
    if (words.size() != 2 || words[0].isEmpty() || words[1].isEmpty()) {
        err << "usage: veskmidi --convert IN OUT.mid\n";
        err.flush();
        return 2;
    }
    const QString& source = words[0];
    const QString& target = words[1];
    const QFileInfo sourceInfo(source);
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && sourceInfo.exists() &&
        sourceInfo.canonicalFilePath() == targetInfo.canonicalFilePath()) {
        err << "refusing to overwrite the input " << source << " with its own conversion\n";
        err.flush();
        return 1;
    }
    QString error;
    if (!convertFile(source, target, error)) {
        err << error << '\n';
        err.flush();
        return 1;
    }
    out << "converted " << source << " to " << target << '\n';
    out.flush();
    return 0;
}

}  // namespace vesk::intake
