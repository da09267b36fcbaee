#include <gtest/gtest.h>

#include "intake/path_text.h"

namespace vesk::intake {
namespace {

const QChar Nul(0);

TEST(PathText, FixTrimCutsAtFirstNul) {
    EXPECT_EQ(fixTrim(QStringLiteral("abc") + Nul + "def" + Nul), "abc");
    EXPECT_EQ(fixTrim("abc"), "abc");
    EXPECT_EQ(fixTrim(QString(Nul)), "");
}

TEST(PathText, FileNameAndFolderSplitAPath) {
    EXPECT_EQ(getFileName("/music/a/b.mid"), "b.mid");
    EXPECT_EQ(getFolder("/music/a/b.mid"), "/music/a");
    EXPECT_EQ(getFileName("b.mid"), "b.mid");
    EXPECT_EQ(getFolder("b.mid"), "");
    EXPECT_EQ(getFileName("/music/a/"), "");
    EXPECT_EQ(getFolder("/music/a/"), "/music/a");
    // A file in the root: its folder is empty, and joining gives the path back.
    EXPECT_EQ(getFolder("/b.mid"), "");
    EXPECT_EQ(getFolder("/b.mid") + PathSeparator + getFileName("/b.mid"), "/b.mid");
    // Only "/" separates; a backslash is an ordinary character of a Linux file name.
    EXPECT_EQ(getFileName("/m/a\\b.mid"), "a\\b.mid");
    EXPECT_EQ(getFolder("C:\\a\\b.mid"), "");
}

TEST(PathText, MultiSelectionGivesFolderAndLastName) {
    const QString selection = QStringLiteral("/music") + Nul + "one.mid" + Nul + "two.rcp";
    EXPECT_EQ(getFolder(selection), "/music");
    EXPECT_EQ(getFileName(selection), "two.rcp");
    // A NUL wins over separators for the folder.
    EXPECT_EQ(getFolder(QStringLiteral("/a/b") + Nul + "c/d"), "/a/b");
}

TEST(PathText, CounterAndTimeTexts) {
    const std::vector<std::pair<QString, QString>> texts = {
        {trackCounter(0, 11), "001/012"},
        {trackCounter(0, -1), "001/000"},
        {trackCounter(9, 98), "010/099"},
        {trackCounter(98, 99), "099/100"},
        {trackCounter(999, 1000), "1000/1001"},
        {formatTime(0), "00:00"},
        {formatTime(999), "00:00"},
        {formatTime(59999), "00:59"},
        {formatTime(61000), "01:01"},
        {formatTime(6000000), "100:00"},
        {formatTime(-5000), "00:00"},
        {formatTime(2147483647), "35791:23"},
    };
    for (const auto& [got, expected] : texts) {
        EXPECT_EQ(got, expected);
    }
}

}  // namespace
}  // namespace vesk::intake
