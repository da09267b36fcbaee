#include <gtest/gtest.h>

#include "intake/path_text.h"

namespace vesk::intake {
namespace {

const QChar Nul(0);

TEST(PathText, FixTrimCutsAtFirstNul) {
    EXPECT_EQ(FixTrim(QStringLiteral("abc") + Nul + "def" + Nul), "abc");
    EXPECT_EQ(FixTrim("abc"), "abc");
    EXPECT_EQ(FixTrim(QString(Nul)), "");
}

TEST(PathText, FileNameAndFolderSplitAPath) {
    EXPECT_EQ(GetFileName("/music/a/b.mid"), "b.mid");
    EXPECT_EQ(GetFolder("/music/a/b.mid"), "/music/a");
    EXPECT_EQ(GetFileName("b.mid"), "b.mid");
    EXPECT_EQ(GetFolder("b.mid"), "");
    EXPECT_EQ(GetFileName("/music/a/"), "");
    EXPECT_EQ(GetFolder("/music/a/"), "/music/a");
    // A file in the root: its folder is empty, and joining gives the path back.
    EXPECT_EQ(GetFolder("/b.mid"), "");
    EXPECT_EQ(GetFolder("/b.mid") + PathSeparator + GetFileName("/b.mid"), "/b.mid");
    // Only "/" separates; a backslash is an ordinary character of a Linux file name.
    EXPECT_EQ(GetFileName("/m/a\\b.mid"), "a\\b.mid");
    EXPECT_EQ(GetFolder("C:\\a\\b.mid"), "");
}

TEST(PathText, MultiSelectionGivesFolderAndLastName) {
    const QString selection = QStringLiteral("/music") + Nul + "one.mid" + Nul + "two.rcp";
    EXPECT_EQ(GetFolder(selection), "/music");
    EXPECT_EQ(GetFileName(selection), "two.rcp");
    // A NUL wins over separators for the folder.
    EXPECT_EQ(GetFolder(QStringLiteral("/a/b") + Nul + "c/d"), "/a/b");
}

TEST(PathText, TrackCounterPadsToThreeDigits) {
    EXPECT_EQ(TrackCounter(0, 11), "001/012");
    EXPECT_EQ(TrackCounter(0, -1), "001/000");
    EXPECT_EQ(TrackCounter(8, 9), "009/010");
    EXPECT_EQ(TrackCounter(9, 98), "010/099");
    EXPECT_EQ(TrackCounter(98, 99), "099/100");
    EXPECT_EQ(TrackCounter(999, 1000), "1000/1001");
}

TEST(PathText, FormatTimeShowsMinutesAndSeconds) {
    EXPECT_EQ(FormatTime(0), "00:00");
    EXPECT_EQ(FormatTime(999), "00:00");
    EXPECT_EQ(FormatTime(59999), "00:59");
    EXPECT_EQ(FormatTime(61000), "01:01");
    EXPECT_EQ(FormatTime(3600000), "60:00");
    EXPECT_EQ(FormatTime(6000000), "100:00");
    EXPECT_EQ(FormatTime(-5000), "00:00");
    EXPECT_EQ(FormatTime(2147483647), "35791:23");
}

}  // namespace
}  // namespace vesk::intake
