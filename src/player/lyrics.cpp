#include "player/lyrics.h"

#include <array>

#include "platform/text_codec.h"

namespace vesk::player {

namespace {

// Windows-1252 where it differs from Latin-1: 0x80..0x9F (0 where the code is unused).
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodeWindows1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80 || b >= 0xA0) {
            out.append(QChar(char16_t{b}));
        } else {
            const char16_t mapped = kWindows1252High[b - 0x80u];
            out.append(QChar(mapped != 0 ? mapped : char16_t{0xFFFD}));
        }
    }
    return out;
}

class SheetBuilder {
  public:
    void add(std::int32_t ms, QString text, bool karaoke) {
        if (karaoke && text.startsWith(u'\\')) {
            breakLine(true);
            text.remove(0, 1);
        } else if (karaoke && text.startsWith(u'/')) {
            breakLine(false);
            text.remove(0, 1);
        }
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] != u'\r' && text[i] != u'\n') {
                continue;
            }
            addSyllable(ms, text.mid(start, i - start));
            if (i < text.size()) {
                breakLine(false);
            }
            start = i + 1;
        }
    }
    LyricSheet take() {
        if (!sheet_.lines.empty() && sheet_.lines.back().syllables.empty()) {
            sheet_.lines.pop_back();
        }
        return std::move(sheet_);
    }

  private:
    void addSyllable(std::int32_t ms, const QString& text) {
        if (text.isEmpty()) {
            return;
        }
        if (sheet_.lines.empty()) {
            sheet_.lines.emplace_back();
        }
        sheet_.lines.back().syllables.push_back({ms, text});
    }
    void breakLine(bool paragraph) {
        if (sheet_.lines.empty() || !sheet_.lines.back().syllables.empty()) {
            sheet_.lines.emplace_back();
        }
        sheet_.lines.back().startsParagraph |= paragraph && sheet_.lines.size() > 1;
    }

    LyricSheet sheet_;
};

}  // namespace

TextEncoding chooseTextEncoding(const QByteArray& allTexts) {
    if (platform::isValidUtf8(allTexts)) {
        return TextEncoding::Utf8;
    }
    if (!platform::decodeCp932(allTexts).contains(QChar(0xFFFD))) {
        return TextEncoding::ShiftJis;
    }
    return TextEncoding::Windows1252;
}

QString decodeText(const QByteArray& bytes, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return QString::fromUtf8(bytes);
        case TextEncoding::ShiftJis:
            return platform::decodeCp932(bytes);
        case TextEncoding::Windows1252:
            break;
    }
    return decodeWindows1252(bytes);
}

LyricSheet buildLyricSheet(const engine::SongLyricTexts& lyrics) {
    QByteArray all;
    for (const engine::LyricText& t : lyrics.texts) {
        all += t.text;
    }
    const TextEncoding encoding = chooseTextEncoding(all);
    SheetBuilder builder;
    for (const engine::LyricText& t : lyrics.texts) {
        builder.add(t.ms, decodeText(t.text, encoding), lyrics.karaoke);
    }
    return builder.take();
}

LyricPlace lyricPlaceAt(const LyricSheet& sheet, std::int32_t ms) {
    LyricPlace place;
    for (std::size_t l = 0; l < sheet.lines.size(); ++l) {
        const auto& syllables = sheet.lines[l].syllables;
        if (syllables.empty() || syllables.front().ms > ms) {
            break;
        }
        place.line = static_cast<int>(l);
        place.sung = 0;
        while (static_cast<std::size_t>(place.sung) < syllables.size() &&
               syllables[static_cast<std::size_t>(place.sung)].ms <= ms) {
            ++place.sung;
        }
    }
    return place;
}

}  // namespace vesk::player
