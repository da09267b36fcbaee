#include <gtest/gtest.h>

#include "platform/text_codec.h"

namespace vesk::platform {
namespace {

TEST(TextCodec, Utf8IsUtf8AndEverythingElseCp932) {
    const QString japanese = QStringLiteral("夢の中へ ｶﾀｶﾅ");
    EXPECT_EQ(decodeNarrow(japanese.toUtf8()), japanese);
    EXPECT_EQ(decodeNarrow(encodeCp932(japanese)), japanese);
    // NEC special characters exist only in CP932, not in plain Shift-JIS.
    EXPECT_EQ(decodeNarrow(QByteArray("\x87\x40")), QStringLiteral("①"));
    // A Latin-1 copyright sign is half-width katakana on a Japanese system.
    EXPECT_EQ(decodeNarrow(QByteArray("\xA9 1992")), QStringLiteral("ｩ 1992"));
    EXPECT_EQ(decodeNarrow("plain ascii"), "plain ascii");
}

TEST(TextCodec, BrokenBytesNeverStopDecoding) {
    // A lead byte at the end and bytes CP932 does not define.
    QString text = decodeNarrow(QByteArray("ab\x82", 3));
    EXPECT_TRUE(text.startsWith("ab"));
    QString junk =
        decodeNarrow(QByteArray("\xFF\xFE\xFD"
                                "ok\x80\xA0",
                                8));
    EXPECT_TRUE(junk.contains("ok"));
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i) {
        everyByte.append(static_cast<char>(i));
    }
    EXPECT_FALSE(decodeNarrow(everyByte).isEmpty());
}

TEST(TextCodec, SongTextsReadAsUtf8ThenJapaneseThenWestern) {
    const QString japanese[] = {QStringLiteral("夢の中へ ｶﾀｶﾅ"), QStringLiteral("CD付き"),
                                QStringLiteral("①ﾃｽﾄ"), QStringLiteral("第3番 Op.27")};
    for (const QString& title : japanese) {
        EXPECT_EQ(decodeSongText(encodeCp932(title)), title) << title.toStdString();
        EXPECT_EQ(decodeSongText(title.toUtf8()), title);
    }
    // Western songs: accents inside words, typographic quotes and a lone copyright sign
    // are all shapes CP932 would take, and none of them is Japanese.
    EXPECT_EQ(decodeSongText("F\xFCr Elise"), QStringLiteral("Für Elise"));
    EXPECT_EQ(decodeSongText("Cr\xE8me"), QStringLiteral("Crème"));
    EXPECT_EQ(decodeSongText("Don\x92t Stop"), QStringLiteral("Don’t Stop"));
    EXPECT_EQ(decodeSongText("\xA9 1992 \xC9"
                             "cole"),
              QStringLiteral("© 1992 École"));
    EXPECT_EQ(decodeSongText("\x93Hi\x94"), QStringLiteral("“Hi”"));
}

TEST(TextCodec, Cp932ByteLengthCountsUnencodableAsTwo) {
    EXPECT_EQ(cp932ByteLength("abc"), 3);
    EXPECT_EQ(cp932ByteLength(QStringLiteral("日本")), 4);
    EXPECT_EQ(cp932ByteLength(QStringLiteral("ｶﾅ")), 2);
    EXPECT_EQ(cp932ByteLength(QStringLiteral("a😀b")), 4);
    EXPECT_EQ(cp932ByteLength(QStringLiteral("Ω")), 2);
    EXPECT_EQ(encodeCp932(QStringLiteral("a😀b")), "a?b");
}

}  // namespace
}  // namespace vesk::platform
