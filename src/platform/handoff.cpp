#include "platform/handoff.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QTime>
#include <cerrno>
#include <random>

#include "platform/posix_file.h"
#include "platform/text_codec.h"

namespace vesk::platform {
namespace {

// After this many taken names (a burst within one second whose quotient keeps repeating)
// the process id joins the number, so the loop always ends.
constexpr int MaxPlainAttempts = 200;

}  // namespace

HandoffClock systemHandoffClock() {
    auto engine = std::make_shared<std::mt19937_64>(
        static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) ^
        static_cast<std::uint64_t>(::getpid()) << 32);
    return {
        [] { return QTime::currentTime().second(); },
        [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); },
        [] { QThread::msleep(20); },
    };
}

QString handoffNumber(int seconds, double random) {
    return QString::number(static_cast<double>(seconds) / random, 'g', 15);
}

QString writeHandoffFile(const QString& folder, const QString& text, const HandoffClock& clock) {
    QDir().mkpath(folder);
    QByteArray tmpl = QFile::encodeName(folder + QStringLiteral("/.handoff-XXXXXX"));
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        return {};
    }
    const QByteArray line = text.toUtf8() + "\r\n";
    bool ok =
        writeAll(fd, line.constData(), static_cast<std::size_t>(line.size())) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    QString written;
    for (int attempt = 0; ok && written.isEmpty(); ++attempt) {
        double r = clock.random();
        if (r <= 0.0) {
            r = 1.0;  // a zero divisor gives no number
        }
        QString number = handoffNumber(clock.secondsField(), r);
        if (attempt >= MaxPlainAttempts) {
            number += QStringLiteral("-%1-%2").arg(::getpid()).arg(attempt);
        }
        QString candidate = folder + u'/' + number + QStringLiteral(".File");
        // link() refuses an existing name, so two writers never take the same one.
        if (::link(tmpl.constData(), QFile::encodeName(candidate).constData()) == 0) {
            written = candidate;
        } else if (errno == EEXIST) {
            clock.pause();
        } else {
            ok = false;
        }
    }
    ::unlink(tmpl.constData());
    return written;
}

std::optional<QString> takeHandoffFile(const QString& folder) {
    QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList(
        {QStringLiteral("*.File")}, QDir::Files | QDir::CaseSensitive, QDir::Time | QDir::Reversed);
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        QByteArray bytes = file.read(64 * 1024);
        file.close();
        if (bytes.isEmpty()) {
            continue;
        }
        qsizetype end = bytes.indexOf('\n');
        QByteArray line = end < 0 ? bytes : bytes.left(end);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        QFile::remove(info.filePath());
        return decodeNarrow(line);
    }
    return std::nullopt;
}

}  // namespace vesk::platform
