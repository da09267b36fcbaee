#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_path.h"
#include "support/temp_dir.h"

namespace vesk::platform {
namespace {

// "曲.mid" in Shift-JIS: not UTF-8, as names from old collections and archives are.
const QByteArray kSjisName("\x8B\xC8.mid");

TEST(FilePath, AnyBytesComeBackExactly) {
    QByteArray everyByte;
    for (int b = 1; b < 256; ++b) {
        everyByte.append(static_cast<char>(b));
    }
    const QByteArray cases[] = {
        everyByte,
        kSjisName,
        "/music/\xE6\x9B\xB2/\x95\x5C.mid",          // UTF-8 folder, Shift-JIS name ending in '\'
        "\xED\xA0\x80\xED\xB2\x80",                  // encoded surrogates are not UTF-8
        "\xC0\x80\xE0\x80\x80\xF4\x90\x80\x80\xF8",  // overlong, past U+10FFFF, bad lead
        "cut \xE6\x9B",                              // truncated sequence at the end
        "\xEF\xBB\xBF\xF0\x9F\x8E\xB5.mid",          // a byte-order mark first, then U+1F3B5
    };
    for (const QByteArray& bytes : cases) {
        EXPECT_EQ(pathBytes(pathFromBytes(bytes)), bytes) << bytes.toHex().toStdString();
    }
    // Valid UTF-8 is just its characters, so such paths look as they always did.
    EXPECT_EQ(pathFromBytes("/music/\xE6\x9B\xB2 1.mid"), QStringLiteral("/music/曲 1.mid"));
    EXPECT_EQ(pathBytes(QStringLiteral("/music/曲 1.mid")), "/music/\xE6\x9B\xB2 1.mid");
    EXPECT_EQ(pathFromBytes("\xEF\xBB\xBF\xF0\x9F\x8E\xB5"), QStringLiteral("\uFEFF\U0001F3B5"));
}

TEST(FilePath, DisplayDecodesEachNameOnItsOwn) {
    const QString path = pathFromBytes("/\xE6\x9B\xB2/\x8B\xC8.mid");
    EXPECT_NE(path, QStringLiteral("/曲/曲.mid"));
    EXPECT_EQ(displayPath(path), QStringLiteral("/曲/曲.mid"));
    EXPECT_EQ(displayPath(QStringLiteral("/plain/a.mid")), QStringLiteral("/plain/a.mid"));
}

TEST(FilePath, FolderListingAndChecksUseTheBytes) {
    test::TempDir dir;
    const QString song = dir.writeNamed(kSjisName, "MThd");
    dir.writeNamed(".hidden.mid", "x");
    dir.writeNamed("plain.mid", "x");
    ASSERT_EQ(
        symlink(pathBytes(song).constData(), (pathBytes(dir.path()) + "/link.mid").constData()), 0);
    QStringList names = regularFileNames(dir.path());
    names.sort();
    QStringList expected{pathFromBytes(kSjisName), QStringLiteral("link.mid"),
                         QStringLiteral("plain.mid")};
    expected.sort();
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(isRegularFile(song));
    EXPECT_FALSE(isRegularFile(dir.path()));
    EXPECT_TRUE(openPath(song, O_RDONLY).valid());
    EXPECT_TRUE(regularFileNames(dir.file("missing")).isEmpty());
}

TEST(FilePath, RelativePathsGoAbsoluteAgainstTheCurrentFolder) {
    test::TempDir dir;
    const QString folder = pathFromBytes(pathBytes(dir.path()) + '/' + kSjisName);
    ASSERT_EQ(::mkdir(pathBytes(folder).constData(), 0700), 0);
    const QString before = absolutePath(QStringLiteral("."));
    ASSERT_EQ(::chdir(pathBytes(folder).constData()), 0);
    EXPECT_EQ(absolutePath(QStringLiteral("sub/../a.mid")), folder + QStringLiteral("/a.mid"));
    EXPECT_EQ(absolutePath(QStringLiteral("/x/./y.mid")), QStringLiteral("/x/y.mid"));
    ASSERT_EQ(::chdir(pathBytes(before).constData()), 0);
}

}  // namespace
}  // namespace vesk::platform
