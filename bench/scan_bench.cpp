// The header scan of 10 000 files (first kilobyte each, warm cache): what adding a big
// folder costs for titles. Goal 0.2 s. Run by hand; never a test.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "engine/smf_info.h"

namespace {

// A song whose title stands behind a kilobyte-sized text event, as long memos do.
QByteArray song(int n) {
    const QByteArray memo(900, 'm');
    const QByteArray title = "Song number " + QByteArray::number(n);
    QByteArray track;
    track += QByteArray("\x00\xFF\x01", 3) + char(0x81) + char(memo.size() - 128) + memo;
    track += QByteArray("\x00\xFF\x03", 3) + char(title.size()) + title;
    track += QByteArray("\x00\xFF\x2F\x00", 4);
    QByteArray out("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0MTrk", 18);
    const auto size = static_cast<quint32>(track.size());
    out += char(size >> 24) + QByteArray(1, char(size >> 16)) + char(size >> 8) + char(size);
    return out + track;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kFiles = 10000;
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < kFiles; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1.mid").arg(i, 5, 10, QChar(u'0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "scan_bench: cannot write %s\n", qPrintable(path));
            return 1;
        }
        file.write(song(i));
        paths << path;
    }
    auto scanAll = [&] {
        int titled = 0;
        for (const QString& path : paths) {
            titled += vesk::engine::readSmfFile(path).title.isEmpty() ? 0 : 1;
        }
        return titled;
    };
    scanAll();  // warms the page cache
    // Processor time as well as wall time: on a busy machine the wall time mostly
    // measures the other processes.
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    const int titled = scanAll();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("header scan: %d files, %d titles, %.3f s wall, %.3f s processor\n", kFiles, titled,
                wall, cpu);
    std::printf("header_scan_10000_files_s: ours=%.3f peer=0.200 ratio=%.3f\n", cpu, cpu / 0.2);
    return titled == kFiles ? 0 : 1;
}
