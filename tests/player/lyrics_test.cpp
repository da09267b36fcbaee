#include "player/lyrics.h"

#include <gtest/gtest.h>

#include "engine/song_lyrics.h"
#include "platform/text_codec.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

using vesk::test::Track;

// 480 ticks a quarter at 120 per minute: 240 ticks are 250 ms. The syllables come every
// 250 ms from 1000 ms on; the song ends at 5000 ms.
QByteArray timedSong(int type, const std::vector<QByteArray>& syllables,
                     const std::vector<QByteArray>& headers = {}) {
    Track first;
    first.tempo(0, 500000);
    // A text before any "@" header is no lyric, even in a karaoke file.
    first.meta(0, 0x01, "made by a sequencer");
    for (const QByteArray& h : headers) {
        first.meta(0, 0x01, h);
    }
    first.end(4800);
    Track words;
    std::uint32_t delta = 960;
    for (const QByteArray& s : syllables) {
        words.meta(delta, type, s);
        delta = 240;
    }
    words.at(0, {0x90, 60, 100}).at(240, {0x80, 60, 0}).end();
    return vesk::test::toQByteArray(vesk::test::smf(1, 480, {first, words}));
}

const std::vector<QByteArray> kKaraokeSyllables = {
    "\\Twin", "kle ", "twin", "kle", "/lit", "tle ", "star", "\\How ", "I ", "won", "der"};

QStringList lineTexts(const LyricSheet& sheet) {
    QStringList out;
    for (const LyricLine& line : sheet.lines) {
        QString text = line.startsParagraph ? QStringLiteral("¶") : QString();
        for (const LyricSyllable& s : line.syllables) {
            text += s.text;
        }
        out.append(text);
    }
    return out;
}

TEST(LyricSheetTest, KaraokeTextsAfterTheHeadersBreakAtSlashAndBackslash) {
    vesk::test::TempDir dir;
    const QString path = dir.write(
        "song.kar",
        timedSong(0x01, kKaraokeSyllables, {"@KMIDI KARAOKE FILE", "@V0100", "@TTwinkle"}));
    const LyricSheet sheet = buildLyricSheet(engine::readSongLyrics(path));
    EXPECT_EQ(lineTexts(sheet), (QStringList{"Twinkle twinkle", "little star", "¶How I wonder"}));
    ASSERT_EQ(sheet.lines[1].syllables.size(), 3u);
    EXPECT_EQ(sheet.lines[1].syllables[0].ms, 2000);

    // The same texts without karaoke headers are no lyrics at all.
    const QString plain = dir.write("plain.mid", timedSong(0x01, kKaraokeSyllables));
    EXPECT_TRUE(buildLyricSheet(engine::readSongLyrics(plain)).empty());
    EXPECT_TRUE(buildLyricSheet(engine::readSongLyrics(dir.path() + "/missing.mid")).empty());
}

TEST(LyricSheetTest, LyricEventsBreakAtLineEndsAndDecodeOncePerSong) {
    vesk::test::TempDir dir;
    std::vector<QByteArray> shiftJis;
    for (const char* s : {"さ", "く", "ら\r", "や", "よ", "い\r\n", "の", "そ", "ら"}) {
        shiftJis.push_back(platform::encodeCp932(QString::fromUtf8(s)));
    }
    // Karaoke headers too: lyric events win.
    const QString sjis = dir.write("sakura.mid", timedSong(0x05, shiftJis, {"@TSakura"}));
    EXPECT_EQ(lineTexts(buildLyricSheet(engine::readSongLyrics(sjis))),
              (QStringList{"さくら", "やよい", "のそら"}));

    // A syllable of the UTF-8 song alone would also read as Shift-JIS.
    const QString utf8 =
        dir.write("koln.mid", timedSong(0x05, {"Grü", "ße ", "aus ", QByteArray("K\xC3\xB6ln")}));
    EXPECT_EQ(lineTexts(buildLyricSheet(engine::readSongLyrics(utf8))),
              QStringList{QStringLiteral("Grüße aus Köln")});

    engine::SongLyricTexts latin;
    latin.texts = {{0, "Caf\xE9 "}, {10, "cr\xE8me \x93"}, {20, "br\xFBl\xE9\x94"}};
    EXPECT_EQ(lineTexts(buildLyricSheet(latin)), QStringList{QStringLiteral("Café crème “brûlé”")});
}

TEST(LyricPlaceTest, TheLastSyllableReachedIsLitAndTheLineFollows) {
    engine::SongLyricTexts karaoke{true, {}};
    for (std::size_t i = 0; i < kKaraokeSyllables.size(); ++i) {
        karaoke.texts.push_back({static_cast<std::int32_t>(1000 + 250 * i), kKaraokeSyllables[i]});
    }
    const LyricSheet sheet = buildLyricSheet(karaoke);
    EXPECT_EQ(lyricPlaceAt(sheet, 0), (LyricPlace{0, 0}));
    EXPECT_EQ(lyricPlaceAt(sheet, 1000), (LyricPlace{0, 1}));
    EXPECT_EQ(lyricPlaceAt(sheet, 1999), (LyricPlace{0, 4}));
    EXPECT_EQ(lyricPlaceAt(sheet, 2000), (LyricPlace{1, 1}));
    EXPECT_EQ(lyricPlaceAt(sheet, 99999), (LyricPlace{2, 4}));
    EXPECT_EQ(lyricPlaceAt(LyricSheet{}, 500), (LyricPlace{0, 0}));
}

TEST(LyricPlaceTest, PlaybackSeekPauseAndSpeedMoveTheLitSyllable) {
    PlayerRig rig;
    Player& p = *rig.player;
    rig.dir.write("songs/twinkle.kar",
                  timedSong(0x01, kKaraokeSyllables, {"@KMIDI KARAOKE FILE", "@TTwinkle"}));
    p.state().playList.push_back(
        intake::SongEntry{"twinkle.kar", rig.dir.path() + "/songs", "Twinkle"});
    p.playEntry(0);
    const auto place = [&] { return lyricPlaceAt(p.lyricSheet(), p.songPosition()); };
    rig.run(1250);
    EXPECT_EQ(place(), (LyricPlace{0, 2}));
    p.seekTo(2600);  // into the middle line
    EXPECT_EQ(place(), (LyricPlace{1, 3}));
    p.transportPause();
    rig.run(1000);
    EXPECT_EQ(place(), (LyricPlace{1, 3}));
    p.transportPlay();
    p.doubleSpeedCommand();
    rig.run(250);  // 500 ms of song time
    EXPECT_EQ(p.songPosition(), 3100);
    EXPECT_EQ(place(), (LyricPlace{2, 2}));
}

}  // namespace
}  // namespace vesk::player::test
