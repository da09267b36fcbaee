#include "platform/handoff.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QLoggingCategory>
#include <QThread>
#include <QTime>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#include "platform/file_path.h"
#include "platform/posix_file.h"
#include "platform/text_codec.h"

Q_LOGGING_CATEGORY(lcHandoff, "vesk.handoff")

namespace vesk::platform {
namespace {

// After this many taken names (a burst within one second whose quotient keeps repeating)
// the process id joins the number, so the loop always ends.
constexpr int MaxPlainAttempts = 200;
constexpr qsizetype MaxHandoffBytes = 64 * 1024;
constexpr char Mark[] = "VESK-HANDOFF 2";

int openFolder(const QString& folder) {
    const QByteArray native = pathBytes(folder);
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(native.constData(), flags);
    if (fd < 0 && errno == ENOENT && (::mkdir(native.constData(), 0700) == 0 || errno == EEXIST)) {
        fd = ::open(native.constData(), flags);
    }
    return fd;
}

bool keptAsIs(unsigned char byte) {
    return byte > 0x20 && byte < 0x7F && byte != '%';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

QByteArray unescape(const QByteArray& line) {
    QByteArray bytes;
    bytes.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '%' && i + 2 < line.size() && hexValue(line[i + 1]) >= 0 &&
            hexValue(line[i + 2]) >= 0) {
            bytes.append(static_cast<char>(hexValue(line[i + 1]) * 16 + hexValue(line[i + 2])));
            i += 2;
        } else {
            bytes.append(line[i]);
        }
    }
    return bytes;
}

QByteArray withoutLineEnd(QByteArray line) {
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

struct Waiting {
    std::int64_t order;
    QByteArray name;
    QString text;
};

// The hand-off files of the folder, readable and not empty, with their texts.
std::vector<Waiting> waitingFiles(int folderFd) {
    std::vector<Waiting> files;
    const int listFd = ::dup(folderFd);
    std::unique_ptr<DIR, DirCloser> dir(listFd < 0 ? nullptr : ::fdopendir(listFd));
    if (!dir) {
        if (listFd >= 0) {
            ::close(listFd);
        }
        return files;
    }
    ::rewinddir(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (!name.endsWith(".File")) {
            continue;
        }
        FileDescriptor file(
            ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        QByteArray content(MaxHandoffBytes, '\0');
        const ssize_t got = ::read(file.get(), content.data(), static_cast<size_t>(content.size()));
        if (got <= 0) {
            continue;
        }
        content.truncate(got);
        if (const auto decoded = decodeHandoff(content)) {
            files.push_back(
                {decoded->orderStamp.value_or(nanoseconds(info.st_mtim)), name, decoded->text});
        }
    }
    return files;
}

}  // namespace

HandoffClock systemHandoffClock() {
    auto engine = std::make_shared<std::mt19937_64>(
        static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) ^
        static_cast<std::uint64_t>(::getpid()) << 32);
    auto last = std::make_shared<std::int64_t>(0);
    return {
        [] { return QTime::currentTime().second(); },
        [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); },
        [] { QThread::msleep(20); },
        [last] {
            timespec now{};
            ::clock_gettime(CLOCK_REALTIME, &now);
            *last = std::max(*last + 1, nanoseconds(now));
            return *last;
        },
    };
}

QString handoffNumber(int seconds, double random) {
    return QString::number(static_cast<double>(seconds) / random, 'g', 15);
}

QByteArray encodeHandoff(const QString& text, std::int64_t orderStamp) {
    QByteArray content = QByteArray(Mark) + "\r\n" + QByteArray::number(orderStamp) + "\r\n";
    static constexpr char Hex[] = "0123456789ABCDEF";
    for (const char c : pathBytes(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (keptAsIs(byte)) {
            content.append(c);
        } else {
            content.append('%').append(Hex[byte >> 4]).append(Hex[byte & 0x0F]);
        }
    }
    return content + "\r\n";
}

std::optional<HandoffContent> decodeHandoff(const QByteArray& content) {
    if (content.isEmpty()) {
        return std::nullopt;
    }
    const QList<QByteArray> lines = content.split('\n');
    if (withoutLineEnd(lines[0]) == Mark) {
        bool numeric = false;
        const std::int64_t order =
            lines.size() > 1 ? withoutLineEnd(lines[1]).toLongLong(&numeric) : 0;
        if (!numeric || lines.size() < 3) {
            return std::nullopt;
        }
        return HandoffContent{pathFromBytes(unescape(withoutLineEnd(lines[2]))), order};
    }
    // The older form: one line of text, UTF-8 or CP932.
    return HandoffContent{decodeNarrow(withoutLineEnd(lines[0])), std::nullopt};
}

QString writeHandoffFile(const QString& folder, const QString& text, const HandoffClock& clock) {
    FileDescriptor dir(openFolder(folder));
    if (!dir.valid()) {
        qCWarning(lcHandoff) << "hand-off folder refused:" << displayPath(folder)
                             << std::strerror(errno);
        return {};
    }
    static std::atomic<int> tempCounter{0};
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp =
            ".handoff-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(tempCounter++);
        fd = ::openat(dir.get(), temp.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            return {};
        }
    }
    FileDescriptor file(fd);
    if (!file.valid()) {
        return {};
    }
    const QByteArray content = encodeHandoff(text, clock.orderStamp());
    bool ok = writeAll(file.get(), content.constData(), static_cast<std::size_t>(content.size())) &&
              ::fsync(file.get()) == 0;
    ok = file.close() == 0 && ok;
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
        const QString name = number + QStringLiteral(".File");
        // linkat refuses an existing name, so two writers never take the same one.
        if (::linkat(dir.get(), temp.constData(), dir.get(), name.toLatin1().constData(), 0) == 0) {
            written = folder + u'/' + name;
        } else if (errno == EEXIST) {
            clock.pause();
        } else {
            ok = false;
        }
    }
    ::unlinkat(dir.get(), temp.constData(), 0);
    return written;
}

HandoffInbox::~HandoffInbox() {
    if (folderFd_ >= 0) {
        ::close(folderFd_);
    }
}

bool HandoffInbox::openFolder(const QString& folder) {
    if (folderFd_ >= 0 && folder == folder_) {
        return true;
    }
    if (folderFd_ >= 0) {
        ::close(folderFd_);
    }
    const bool sameFolder = folder == folder_;
    folder_ = folder;
    folderFd_ = platform::openFolder(folder);
    // Said once per folder, not at every tick.
    if (folderFd_ < 0 && !sameFolder) {
        qCWarning(lcHandoff) << "hand-off folder refused:" << displayPath(folder)
                             << std::strerror(errno);
    }
    return folderFd_ >= 0;
}

std::optional<QString> HandoffInbox::take(const QString& folder) {
    if (!openFolder(folder)) {
        return std::nullopt;
    }
    std::vector<Waiting> files = waitingFiles(folderFd_);
    const auto first =
        std::min_element(files.begin(), files.end(), [](const auto& a, const auto& b) {
            return a.order != b.order ? a.order < b.order : a.name < b.name;
        });
    if (first == files.end()) {
        return std::nullopt;
    }
    ::unlinkat(folderFd_, first->name.constData(), 0);
    return first->text;
}

}  // namespace vesk::platform
