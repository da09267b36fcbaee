#include <gtest/gtest.h>

#include <random>

#include "engine/smf_info.h"
#include "platform/text_codec.h"
#include "support/fake_sequencer.h"

namespace vesk::engine {
namespace {

using test::meta;
using test::smfHeader;
using test::track;

const QString kPath = QStringLiteral("/songs/dir.x/tune.mid");

QString titleOf(const QByteArray& firstTrack, const QByteArray& secondTrack = {}) {
    QByteArray block = smfHeader(1, 2, 480) + track(firstTrack);
    if (!secondTrack.isEmpty()) {
        block += track(secondTrack);
    }
    return scanSmfBlock(block, kPath).title;
}

TEST(SmfScan, HeaderValuesAndMetaTexts) {
    const QByteArray block = smfHeader(1, 3, 480) + track(meta(3, "Song") + meta(2, "(C) Me"));
    const SmfInfo info = scanSmfBlock(block, kPath);
    EXPECT_EQ(info.errorCode, kSmfOk);
    EXPECT_EQ(info.format, 1);
    EXPECT_EQ(info.tracks, 3);
    EXPECT_EQ(info.division, 480);
    EXPECT_EQ(info.title, "Song");
    EXPECT_EQ(info.copyright, "(C) Me");
    // Bytes before the first track chunk are not meta events.
    const QByteArray early = smfHeader(0, 1, 96) + meta(2, "Early") + meta(3, "Early") + track({});
    EXPECT_EQ(scanSmfBlock(early, kPath).copyright, "");
    EXPECT_EQ(scanSmfBlock(early, kPath).title, "tune");

    // A RIFF wrapper puts the header at offset 20, and values with the top bit set keep
    // their bit pattern.
    const QByteArray rmi = "RIFF" + test::be(0, 4) + "RMIDdata" + test::be(0, 4) +
                           smfHeader(0xFFFF, 1, 0xE728) + track(meta(1, "Wrapped"));
    const SmfInfo wrapped = scanSmfBlock(rmi, kPath);
    EXPECT_EQ(wrapped.format, -1);
    EXPECT_EQ(wrapped.division, static_cast<std::int16_t>(0xE728));
    EXPECT_EQ(wrapped.title, "Wrapped");
}

// The title is the earliest text of the first track; empty or "untitled" ones, and texts
// ended at once by twenty spaces or a NUL, fall back to the file name.
TEST(SmfScan, TitleRules) {
    const std::vector<std::tuple<QByteArray, QByteArray, QString>> cases = {
        {meta(3, "Song") + meta(1, "Memo"), {}, "Song"},
        {meta(1, "Memo") + meta(3, "Song"), {}, "Memo"},
        {meta(0x7F, "x"), meta(3, "Second"), "tune"},
        {meta(3, "untitled"), {}, "tune"},
        {meta(3, "UnTitled"), {}, "tune"},
        {meta(3, "Untitled 2"), {}, "Untitled 2"},
        {meta(3, ""), {}, "tune"},
        {meta(3, "Song" + QByteArray(20, ' ') + "junk"), {}, "Song"},
        {meta(3, QByteArray("Song\0\x82junk", 10)), {}, "Song"},
        {meta(3, QByteArray("\0junk", 5)), {}, "tune"},
        {meta(3, "A" + QByteArray(19, ' ') + "B"), {}, "A" + QString(19, u' ') + "B"},
    };
    for (const auto& [first, second, title] : cases) {
        EXPECT_EQ(titleOf(first, second), title) << first.toHex().toStdString();
    }
    EXPECT_EQ(scanSmfBlock(smfHeader(0, 1, 96) + track({}), QStringLiteral("a/b")).title, "b");
    EXPECT_EQ(scanSmfBlock(smfHeader(0, 1, 96) + track({}), QStringLiteral("x.midi")).title, "x.");
    // A copyright found in any track counts; one of spaces only is none.
    EXPECT_EQ(scanSmfBlock(smfHeader(1, 2, 96) + track({}) + track(meta(2, "C2")), kPath).copyright,
              "C2");
    const QByteArray block = smfHeader(0, 1, 96) + track(meta(2, QByteArray(30, ' ')));
    EXPECT_EQ(scanSmfBlock(block, kPath).copyright, "");
}

TEST(SmfScan, TextsAreCutAtTheEndOfTheBlock) {
    const QByteArray block = smfHeader(0, 1, 96) + track(meta(3, "Complete title"));
    const qsizetype at = block.indexOf("Complete");
    EXPECT_EQ(scanSmfBlock(block.left(at + 5), kPath).title, "Compl");
    // The length byte itself lies past the block.
    EXPECT_EQ(scanSmfBlock(block.left(at - 1), kPath).title, "tune");
}

TEST(SmfScan, UnreadableHeadersAndMissingTracks) {
    EXPECT_EQ(scanSmfBlock("RIFF....no header here", kPath).errorCode, kSmfHeaderUnreadable);
    EXPECT_EQ(scanSmfBlock({}, kPath).errorCode, kSmfHeaderUnreadable);
    const QByteArray header = smfHeader(1, 2, 96);
    EXPECT_EQ(scanSmfBlock(header.left(13), kPath).errorCode, kSmfHeaderUnreadable);
    EXPECT_EQ(scanSmfBlock(header, kPath).division, 96);
    // Meta events without any "MTrk" are not looked at.
    const SmfInfo noTrack = scanSmfBlock(header + meta(3, "Loose") + meta(2, "C"), kPath);
    EXPECT_EQ(noTrack.errorCode, kSmfOk);
    EXPECT_EQ(noTrack.title, "tune");
    EXPECT_EQ(noTrack.copyright, "");
}

TEST(SmfScan, TitlesInShiftJisUtf8AndWindows1252) {
    EXPECT_EQ(titleOf(meta(3, "F\xFCr Elise")), QStringLiteral("Für Elise"));
    EXPECT_EQ(titleOf(meta(3, platform::encodeCp932(QStringLiteral("曲名ｿﾝｸﾞ")))),
              QStringLiteral("曲名ｿﾝｸﾞ"));
    EXPECT_EQ(titleOf(meta(3, QStringLiteral("夜の曲").toUtf8())), QStringLiteral("夜の曲"));
}

TEST(SmfScan, ArbitraryBytesNeverBreakTheScan) {
    std::mt19937 random(20240611);
    const QByteArray tags[] = {"MThd", "MTrk", "\xFF\x01", "\xFF\x02", "\xFF\x03"};
    for (int round = 0; round < 3000; ++round) {
        QByteArray block(static_cast<qsizetype>(random() % 1025), '\0');
        for (char& c : block) {
            c = static_cast<char>(random());
        }
        for (int i = 0; i < 6 && !block.isEmpty(); ++i) {
            block.replace(static_cast<qsizetype>(random() % block.size()), 0,
                          tags[random() % std::size(tags)]);
        }
        const SmfInfo info = scanSmfBlock(block, kPath);
        ASSERT_TRUE(info.errorCode == kSmfOk || info.errorCode == kSmfHeaderUnreadable);
        ASSERT_LE(info.title.size(), 255);
        ASSERT_LE(info.copyright.size(), 255);
    }
}

}  // namespace
}  // namespace vesk::engine
