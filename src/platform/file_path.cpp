#include "platform/file_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <cstdlib>
#include <memory>

#include "platform/text_codec.h"

namespace vesk::platform {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscapedByte(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at `at`, or 0 when the byte there starts none
// (overlong forms, encoded surrogates and values past U+10FFFF are not well-formed).
int utf8SequenceLength(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[at + i]); };
    const qsizetype left = bytes.size() - at;
    const unsigned char first = byte(0);
    if (first < 0x80) {
        return 1;
    }
    if (first >= 0xC2 && first <= 0xDF) {
        return left >= 2 && isContinuation(byte(1)) ? 2 : 0;
    }
    if (first >= 0xE0 && first <= 0xEF) {
        if (left < 3 || !isContinuation(byte(1)) || !isContinuation(byte(2))) {
            return 0;
        }
        if ((first == 0xE0 && byte(1) < 0xA0) || (first == 0xED && byte(1) >= 0xA0)) {
            return 0;
        }
        return 3;
    }
    if (first >= 0xF0 && first <= 0xF4) {
        if (left < 4 || !isContinuation(byte(1)) || !isContinuation(byte(2)) ||
            !isContinuation(byte(3))) {
            return 0;
        }
        if ((first == 0xF0 && byte(1) < 0x90) || (first == 0xF4 && byte(1) >= 0x90)) {
            return 0;
        }
        return 4;
    }
    return 0;
}

bool holdsEscapedByte(const QString& text) {
    for (const QChar c : text) {
        if (isEscapedByte(c.unicode())) {
            return true;
        }
    }
    return false;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

QString pathFromBytes(const QByteArray& bytes) {
    QString path;
    path.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = utf8SequenceLength(bytes, i);
        const auto first = static_cast<unsigned char>(bytes[i]);
        if (length == 0) {
            path.append(QChar(static_cast<char16_t>(kEscapeBase + first)));
            ++i;
            continue;
        }
        // Decoded here rather than by QString::fromUtf8, which would drop a U+FEFF at
        // the start of what it is given: a name may begin with one.
        char32_t code = length == 1 ? first : first & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        }
        if (code >= 0x10000) {
            path.append(QChar(QChar::highSurrogate(code)));
            path.append(QChar(QChar::lowSurrogate(code)));
        } else {
            path.append(QChar(static_cast<char16_t>(code)));
        }
        i += length;
    }
    return path;
}

QByteArray pathBytes(const QString& path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype plainStart = 0;
    const auto flushPlain = [&](qsizetype end) {
        bytes.append(QStringView(path).sliced(plainStart, end - plainStart).toUtf8());
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (isEscapedByte(unit)) {
            flushPlain(i);
            bytes.append(static_cast<char>(unit - kEscapeBase));
            plainStart = i + 1;
        }
    }
    flushPlain(path.size());
    return bytes;
}

QString displayPath(const QString& path) {
    if (!holdsEscapedByte(path)) {
        return path;
    }
    QStringList names = path.split(u'/');
    for (QString& name : names) {
        if (holdsEscapedByte(name)) {
            name = decodeNarrow(pathBytes(name));
        }
    }
    return names.join(u'/');
}

QString absolutePath(const QString& path) {
    if (path.startsWith(u'/')) {
        return QDir::cleanPath(path);
    }
    // getcwd, not QDir::currentPath: the current folder's name may hold any bytes too.
    std::unique_ptr<char, decltype(&std::free)> here(::getcwd(nullptr, 0), &std::free);
    const QString base = here ? pathFromBytes(QByteArray(here.get())) : QDir::currentPath();
    return QDir::cleanPath(base + u'/' + path);
}

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(pathBytes(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

QStringList regularFileNames(const QString& folder) {
    QStringList names;
    FileDescriptor dirFd(::open(pathBytes(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.valid()) {
        return names;
    }
    // The listing owns a copy of the descriptor; the original stays for fstatat.
    const int listFd = ::dup(dirFd.get());
    std::unique_ptr<DIR, DirCloser> dir(listFd < 0 ? nullptr : ::fdopendir(listFd));
    if (!dir) {
        if (listFd >= 0) {
            ::close(listFd);
        }
        return names;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        struct stat info {};
        if (::fstatat(dirFd.get(), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode)) {
            names.append(pathFromBytes(QByteArray(entry->d_name)));
        }
    }
    return names;
}

FileDescriptor openPath(const QString& path, int flags) {
    return FileDescriptor(::open(pathBytes(path).constData(), flags | O_CLOEXEC));
}

}  // namespace vesk::platform
