#include "platform/text_codec.h"

#include <iconv.h>

#include <QStringDecoder>
#include <cerrno>
#include <cstdint>
#include <memory>

namespace vesk::platform {
namespace {

struct IconvCloser {
    void operator()(void* cd) const {
        if (cd != nullptr) {
            iconv_close(static_cast<iconv_t>(cd));
        }
    }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openIconv(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return IconvHandle(nullptr);
    }
    return IconvHandle(cd);
}

// Converts as much as iconv can; an input sequence it rejects is replaced by `bad`
// and skipped by `skip` bytes, so arbitrary bytes never stop the conversion.
QByteArray convert(const char* to, const char* from, const QByteArray& in, const QByteArray& bad,
                   int skip) {
    IconvHandle cd = openIconv(to, from);
    if (!cd) {
        return in;
    }
    QByteArray out;
    out.reserve(in.size() * 2 + 8);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    char buffer[4096];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - dstLeft));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL (truncated sequence at the end).
            out.append(bad);
            size_t step = std::min(srcLeft, static_cast<size_t>(skip));
            src += step;
            srcLeft -= step;
        }
    }
    return out;
}

}  // namespace

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

QString decodeCp932(const QByteArray& bytes) {
    // U+FFFD for a byte CP932 does not know: one byte at a time, like Windows does.
    QByteArray utf8 = convert("UTF-8", "CP932", bytes, QByteArray("\xEF\xBF\xBD"), 1);
    return QString::fromUtf8(utf8);
}

QString decodeNarrow(const QByteArray& bytes) {
    if (isValidUtf8(bytes)) {
        return QString::fromUtf8(bytes);
    }
    return decodeCp932(bytes);
}

namespace {

bool isLeadByte(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(std::uint8_t b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

bool isHalfWidthKana(std::uint8_t b) {
    return b >= 0xA1 && b <= 0xDF;
}

bool isAsciiLetter(std::uint8_t b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

}  // namespace

std::optional<int> cp932Score(const QByteArray& bytes) {
    const auto at = [&](qsizetype i) {
        return i >= 0 && i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : std::uint8_t{0};
    };
    int score = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const std::uint8_t b = at(i);
        if (b < 0x80) {
            ++i;
        } else if (isHalfWidthKana(b)) {
            const bool inRun = isHalfWidthKana(at(i - 1)) || isHalfWidthKana(at(i + 1));
            score += inRun ? 1 : -2;
            ++i;
        } else if (isLeadByte(b) && i + 1 < bytes.size() && isTrailByte(at(i + 1))) {
            // "Cr\xE8me", "Don\x92t ": a letter before, a letter as trail byte, and no
            // double-byte character after is an accent inside a Latin word.
            const bool latinWord = isAsciiLetter(at(i - 1)) && isAsciiLetter(at(i + 1)) &&
                                   !isLeadByte(at(i + 2)) && !isHalfWidthKana(at(i + 2));
            score += latinWord ? -3 : 2;
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    // Pairs of the right shape that CP932 leaves unassigned.
    if (decodeCp932(bytes).contains(QChar(QChar::ReplacementCharacter))) {
        return std::nullopt;
    }
    return score;
}

SongTextEncoding songTextEncoding(const QByteArray& bytes) {
    if (isValidUtf8(bytes)) {
        return SongTextEncoding::Utf8;
    }
    const std::optional<int> score = cp932Score(bytes);
    return score && *score > 0 ? SongTextEncoding::Cp932 : SongTextEncoding::Windows1252;
}

QString decodeSongText(const QByteArray& bytes, SongTextEncoding encoding) {
    switch (encoding) {
        case SongTextEncoding::Utf8:
            return QString::fromUtf8(bytes);
        case SongTextEncoding::Cp932:
            return decodeCp932(bytes);
        case SongTextEncoding::Windows1252:
            break;
    }
    return QString::fromUtf8(convert("UTF-8", "CP1252", bytes, QByteArray("\xEF\xBF\xBD"), 1));
}

QString decodeSongText(const QByteArray& bytes) {
    return decodeSongText(bytes, songTextEncoding(bytes));
}

namespace {

// Encodes one character at a time so that each one CP932 lacks is seen on its own;
// `unencodable` tells the caller which ones.
template <typename OnChar>
void encodeEach(const QString& text, OnChar onChar) {
    IconvHandle cd = openIconv("CP932", "UTF-8");
    for (qsizetype i = 0; i < text.size();) {
        qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QByteArray one = text.mid(i, len).toUtf8();
        char buffer[16];
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        bool ok = false;
        if (cd) {
            char* src = one.data();
            size_t srcLeft = static_cast<size_t>(one.size());
            iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
            ok = iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft) !=
                 static_cast<size_t>(-1);
        }
        onChar(QByteArray(buffer, static_cast<qsizetype>(sizeof buffer - dstLeft)), !ok);
        i += len;
    }
}

}  // namespace

QByteArray encodeCp932(const QString& text) {
    QByteArray out;
    encodeEach(text, [&](const QByteArray& bytes, bool unencodable) {
        out.append(unencodable ? QByteArray("?") : bytes);
    });
    return out;
}

int cp932ByteLength(const QString& text) {
    int length = 0;
    encodeEach(text, [&](const QByteArray& bytes, bool unencodable) {
        length += unencodable ? 2 : static_cast<int>(bytes.size());
    });
    return length;
}

}  // namespace vesk::platform
