// Measures the intake: entries per second when adding a folder of 10 000 MIDI files
// (title read included) and when adding a ZIP archive holding 1 000 songs. The peer is a
// plain loop that opens each file and reads its first kilobyte. Figures are taken warm
// (a first pass fills the page cache). Run by hand; never a test.

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "intake/intake.h"

namespace {

using Clock = std::chrono::steady_clock;

class QuietReporter final : public vesk::intake::IntakeReporter {
  public:
    void showMessage(const QString& text, vesk::platform::MessageIcon, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
};

QByteArray song(int n) {
    const QByteArray title = "Song number " + QByteArray::number(n);
    QByteArray track("\x00\xFF\x03", 3);
    track.append(static_cast<char>(title.size()));
    track.append(title);
    track.append(QByteArray("\x00\x90\x3C\x40\x60\x80\x3C\x40\x00\xFF\x2F\x00", 12));
    QByteArray out("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00", 21);
    out.append(static_cast<char>(track.size()));
    return out + track;
}

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double peerRate(const QString& folder, int count) {
    const auto start = Clock::now();
    char buffer[1024];
    for (int i = 0; i < count; ++i) {
        const QByteArray path = QFile::encodeName(folder + QStringLiteral("/s%1.mid").arg(i));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            if (::read(fd, buffer, sizeof buffer) < 0) {
                std::perror("read");
            }
            ::close(fd);
        }
    }
    return count / seconds(start);
}

void report(const char* figure, double ours, double peer) {
    std::printf("%s: ours=%.0f peer=%.0f ratio=%.3f\n", figure, ours, peer, ours / peer);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("songs"));
    const QString work = root.filePath(QStringLiteral("work")) + u'/';
    QDir().mkpath(folder);
    QDir().mkpath(work);
    for (int i = 0; i < 10000; ++i) {
        QFile f(folder + QStringLiteral("/s%1.mid").arg(i));
        if (!f.open(QIODevice::WriteOnly) || f.write(song(i)) < 0) {
            std::fprintf(stderr, "cannot write the songs\n");
            return 1;
        }
    }

    vesk::config::ModuleState module;
    module.workFolder = work;
    module.haveZipReader = true;
    vesk::config::Settings settings;
    QuietReporter reporter;
    vesk::intake::ArchiveExtractor extractor(module, settings);
    vesk::intake::Intake intake(module, settings, extractor, reporter);

    intake.addFolder(folder, folder);
    peerRate(folder, 10000);
    auto start = Clock::now();
    const std::size_t added = intake.addFolder(folder, folder).size();
    const double folderRate = static_cast<double>(added) / seconds(start);
    report("folder_10000_entries_per_s", folderRate, peerRate(folder, 10000));
    std::printf("folder_10000_seconds: %.3f\n", static_cast<double>(added) / folderRate);

    QStringList args{QStringLiteral("-q0"), root.filePath(QStringLiteral("songs.zip"))};
    for (int i = 0; i < 1000; ++i) {
        args.append(QStringLiteral("s%1.mid").arg(i));
    }
    QProcess zip;
    zip.setWorkingDirectory(folder);
    zip.start(QStringLiteral("zip"), args);
    if (!zip.waitForFinished(60000) || zip.exitCode() != 0) {
        std::fprintf(stderr, "zip failed\n");
        return 1;
    }
    const QString archive = root.filePath(QStringLiteral("songs.zip"));
    intake.addFiles(archive);
    start = Clock::now();
    const std::size_t members = intake.addFiles(archive).size();
    report("zip_1000_entries_per_s", static_cast<double>(members) / seconds(start),
           peerRate(folder, 1000));
    return 0;
}
