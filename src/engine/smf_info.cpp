#include "engine/smf_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_path.h"
#include "platform/posix_file.h"
#include "platform/text_codec.h"

namespace vesk::engine {
namespace {

std::int16_t headerWord(QByteArrayView block, qsizetype at) {
    const auto high = static_cast<std::uint8_t>(block[at]);
    const auto low = static_cast<std::uint8_t>(block[at + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(high << 8 | low));
}

qsizetype find(QByteArrayView block, QByteArrayView what, qsizetype from) {
    return block.indexOf(what, from);
}

// The text of the meta event whose FF byte is at `at`: a one-byte length, then that many
// bytes, cut where the block ends.
QString metaText(QByteArrayView block, qsizetype at) {
    const qsizetype lengthAt = at + 2;
    if (lengthAt >= block.size()) {
        return {};
    }
    const qsizetype length = static_cast<std::uint8_t>(block[lengthAt]);
    const qsizetype start = lengthAt + 1;
    const qsizetype available = std::min(length, block.size() - start);
    QByteArray bytes = block.sliced(start, available).toByteArray();
    // Fixed-size text fields end at a NUL; what follows is leftover memory, not text.
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        bytes.truncate(nul);
    }
    QString text = platform::decodeSongText(bytes);
    // Old editors pad fixed-width text fields with spaces and may leave junk behind them.
    const qsizetype padding = text.indexOf(QString(20, u' '));
    if (padding >= 0) {
        text.truncate(padding);
    }
    return text;
}

qsizetype earlierFound(qsizetype a, qsizetype b) {
    if (a < 0) {
        return b;
    }
    if (b < 0) {
        return a;
    }
    return std::min(a, b);
}

}  // namespace

QString smfErrorMessage(std::int16_t errorCode) {
    switch (errorCode) {
        case kSmfFileNotFound:
            return QStringLiteral("指定されたﾌｧｲﾙが見つかりません");
        case kSmfHeaderUnreadable:
            return QStringLiteral(
                "ﾍｯﾀﾞの読み込みに失敗しました。ﾌｧｲﾙは壊れている可能性があります。");
        default:
            return {};
    }
}

QString titleFromFileName(const QString& path) {
    // A title is for people: a name of Shift-JIS bytes shows as its characters.
    QString name = platform::displayPath(path.mid(path.lastIndexOf(u'/') + 1));
    if (name.size() >= 4) {
        name.chop(4);
    }
    return name;
}

SmfInfo scanSmfBlock(QByteArrayView block, const QString& path) {
    SmfInfo info;
    const qsizetype header = find(block, "MThd", 0);
    if (header < 0 || header + 13 >= block.size()) {
        info.errorCode = kSmfHeaderUnreadable;
        return info;
    }
    info.format = headerWord(block, header + 8);
    info.tracks = headerWord(block, header + 10);
    info.division = headerWord(block, header + 12);

    // Without a track chunk there is nowhere to look for meta events.
    const qsizetype firstTrack = find(block, "MTrk", 0);
    if (firstTrack >= 0) {
        const qsizetype secondTrack = find(block, "MTrk", firstTrack + 1);
        const qsizetype text = find(block, "\xFF\x01", firstTrack);
        const qsizetype copyright = find(block, "\xFF\x02", firstTrack);
        const qsizetype name = find(block, "\xFF\x03", firstTrack);

        if (copyright >= 0) {
            info.copyright = metaText(block, copyright);
        }
        // The title belongs to the first track; a text event and a track name compete by
        // position.
        const qsizetype title = earlierFound(text, name);
        if (title >= 0 && (secondTrack < 0 || secondTrack > title)) {
            info.title = metaText(block, title);
        }
    }
    if (info.title.isEmpty() || info.title.compare(u"UNTITLED", Qt::CaseInsensitive) == 0) {
        info.title = titleFromFileName(path);
    }
    info.errorCode = kSmfOk;
    return info;
}

SmfInfo readSmfFile(const QString& path) {
    SmfInfo info;
    // Non-blocking open and a regular-file check on the open file: a FIFO or a device
    // must neither block the scan nor be read. One system call per step keeps big
    // folders quick.
    const platform::FileDescriptor fd = platform::openPath(path, O_RDONLY | O_NONBLOCK);
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        info.errorCode = kSmfFileNotFound;
        return info;
    }
    char block[kSmfScanBytes];
    ssize_t n;
    do {
        n = ::pread(fd.get(), block, sizeof block, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        info.errorCode = kSmfFileNotFound;
        return info;
    }
    return scanSmfBlock(QByteArrayView(block, n), path);
}

}  // namespace vesk::engine
