#include "player/lyrics.h"

#include "platform/text_codec.h"

namespace vesk::player {

namespace {

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

LyricSheet buildLyricSheet(const engine::SongLyricTexts& lyrics) {
    QByteArray all;
    for (const engine::LyricText& t : lyrics.texts) {
        all += t.text;
    }
    // One choice per song, so that a syllable too short to judge is read like the rest.
    const platform::SongTextEncoding encoding = platform::songTextEncoding(all);
    SheetBuilder builder;
    for (const engine::LyricText& t : lyrics.texts) {
        builder.add(t.ms, platform::decodeSongText(t.text, encoding), lyrics.karaoke);
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
