#include "player/device_choice.h"

#include <QFile>
#include <QFileInfo>
#include <array>

#include "platform/text_codec.h"

namespace vesk::player {
namespace {

constexpr char16_t kHalfKanaFirst = 0xFF61;
constexpr char16_t kHalfKanaLast = 0xFF9F;
constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

// Full-width forms of U+FF61..U+FF9F in order.
constexpr std::array<char16_t, kHalfKanaLast - kHalfKanaFirst + 1> kFullKana = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

// The kana of the K, S, T and H rows take the voiced mark as the next code point.
bool takesVoicedMark(char16_t kana) {
    return (kana >= 0x30AB && kana <= 0x30C2 && kana % 2 == 1) ||
           (kana >= 0x30C4 && kana <= 0x30C8 && kana % 2 == 0) ||
           (kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0);
}

bool takesSemiVoicedMark(char16_t kana) {
    return kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0;
}

bool containsPiece(const QString& text, const QString& piece) {
    return piece.isEmpty() ? !text.isEmpty() : text.contains(piece, Qt::CaseSensitive);
}

}  // namespace

QString foldForKeyword(const QString& text) {
    const QString upper = text.toUpper();
    QString out;
    out.reserve(upper.size());
    for (qsizetype i = 0; i < upper.size(); ++i) {
        const char16_t c = upper[i].unicode();
        if (c == u' ') {
            out.append(QChar(0x3000));
        } else if (c >= 0x21 && c <= 0x7E) {
            out.append(QChar(static_cast<char16_t>(c - 0x21 + 0xFF01)));
        } else if (c >= kHalfKanaFirst && c <= kHalfKanaLast) {
            char16_t kana = kFullKana[c - kHalfKanaFirst];
            const char16_t mark = i + 1 < upper.size() ? upper[i + 1].unicode() : 0;
            if (mark == kVoicedMark && kana == 0x30A6) {
                kana = 0x30F4;
                ++i;
            } else if (mark == kVoicedMark && takesVoicedMark(kana)) {
                kana = static_cast<char16_t>(kana + 1);
                ++i;
            } else if (mark == kSemiVoicedMark && takesSemiVoicedMark(kana)) {
                kana = static_cast<char16_t>(kana + 2);
                ++i;
            }
            out.append(QChar(kana));
        } else {
            out.append(upper[i]);
        }
    }
    return out;
}

QStringList keywordPieces(const QString& key) {
    if (key.isEmpty()) {
        return {};
    }
    return key.split(u',', Qt::KeepEmptyParts);
}

bool titleHasKeyword(const QString& title, const QStringList& pieces) {
    const QString folded = foldForKeyword(title);
    for (const QString& piece : pieces) {
        if (containsPiece(folded, foldForKeyword(piece))) {
            return true;
        }
    }
    return false;
}

bool textHasKeyword(const QString& text, const QStringList& pieces) {
    for (const QString& piece : pieces) {
        if (containsPiece(text, piece)) {
            return true;
        }
    }
    return false;
}

QString readDocumentText(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return platform::decodeNarrow(file.read(kMaxDocumentBytes));
}

int chooseDeviceSlot(const DeviceChoiceFlags& flags, const QString& title,
                     const QString& documentPath, const QString& key) {
    if (flags.deviceAChosen) {
        return 0;
    }
    if (flags.deviceBChosen) {
        return 1;
    }
    if (!flags.autoChosen) {
        return 0;
    }
    const QStringList pieces = keywordPieces(key);
    if (pieces.isEmpty()) {
        return 0;
    }
    if (titleHasKeyword(title, pieces)) {
        return 1;
    }
    return textHasKeyword(readDocumentText(documentPath), pieces) ? 1 : 0;
}

}  // namespace vesk::player
