#include <QFile>
#include <algorithm>

#include "intake/intake_fixture.h"
#include "intake/multi_list.h"
#include "platform/file_path.h"
#include "support/archive_builder.h"

namespace vesk::test {
namespace {

using intake::SongEntry;

TEST_F(IntakeTest, FolderScanTakesMidiThenArchivesThenListsInFixedOrder) {
    songs.write(QStringLiteral("b.mid"), smallSong("B"));
    songs.write(QStringLiteral("A.MID"), smallSong("A"));
    songs.write(QStringLiteral("c.rmi"), smallSong("C"));
    const QString zip =
        songs.write(QStringLiteral("pack.zip"), buildZip({file("z.mid", smallSong("Z"))}));
    const QString lzh =
        songs.write(QStringLiteral("Pack.lzh"), buildLzh({file("l.mid", smallSong("L"))}, 2));
    songs.write(
        QStringLiteral("list.mlt"),
        (QStringLiteral("[MIDILIST]\n") + songs.path() + QStringLiteral("/b.mid\n")).toUtf8());
    songs.write(QStringLiteral("skip.rcp"), "x");
    songs.write(QStringLiteral("skip.rar"), buildRar4({file("r.mid", "r")}));
    songs.write(QStringLiteral(".hidden.mid"), smallSong("H"));
    songs.write(QStringLiteral("sub/inner.mid"), smallSong("I"));

    auto entries = intake().addFolder(songs.path(), songs.path());

    const std::vector<SongEntry> expected{
        {"A.MID", songs.path(), "A"}, {"b.mid", songs.path(), "B"}, {"c.rmi", songs.path(), "C"},
        {"l.mid", lzh, "L"},          {"z.mid", zip, "Z"},          {"b.mid", songs.path(), "B"}};
    EXPECT_EQ(entries, expected);
    EXPECT_TRUE(reporter.messages.empty());
    ASSERT_EQ(reporter.steps.size(), 6u);
    EXPECT_EQ(reporter.steps.back(), std::make_pair(6, 6));
    EXPECT_TRUE(workContents().isEmpty());
}

TEST_F(IntakeTest, FolderScanKeepsNamesThatAreNotUtf8) {
    songs.writeNamed("\x8B\xC8.mid", smallSong("S"));
    // Untitled, it is listed by its name, which people read decoded.
    songs.writeNamed("\x95\x5C.mid", smallSong(""));
    auto entries = intake().addFolder(songs.path(), songs.path());
    ASSERT_EQ(entries.size(), 2u);
    std::sort(entries.begin(), entries.end(),
              [](const SongEntry& a, const SongEntry& b) { return a.title < b.title; });
    EXPECT_EQ(platform::pathBytes(entries[0].name), "\x8B\xC8.mid");
    EXPECT_EQ(entries[0].title, "S");
    EXPECT_EQ(platform::pathBytes(entries[1].name), "\x95\x5C.mid");
    EXPECT_EQ(entries[1].title, QStringLiteral("表"));
    EXPECT_TRUE(platform::isRegularFile(entries[0].container + u'/' + entries[0].name));
}

TEST_F(IntakeTest, FolderWithoutSupportedFilesIsReported) {
    songs.write(QStringLiteral("only.rcp"), "x");
    songs.write(QStringLiteral("song.midi"), "x");
    for (const QString& folder : {songs.path(), songs.file(QStringLiteral("missing"))}) {
        EXPECT_TRUE(intake().addFolder(folder, folder).empty());
    }
    EXPECT_EQ(reporter.texts(), (QStringList{"このﾌｫﾙﾀﾞには対応したﾌｧｲﾙが存在しません",
                                             "このﾌｫﾙﾀﾞには対応したﾌｧｲﾙが存在しません"}));
    EXPECT_EQ(reporter.messages[0].icon, platform::MessageIcon::Critical);
}

TEST_F(IntakeTest, NamesWithinOnePatternAreSortedIgnoringCase) {
    for (const char* name : {"b.mid", "C.mid", "a.MID", "B2.mid", "10.mid", "1.mid"}) {
        songs.write(QString::fromLatin1(name), smallSong(name));
    }
    QStringList names;
    for (const SongEntry& e : intake().addFolder(songs.path() + u'/', QStringLiteral("given"))) {
        names.append(e.name);
        EXPECT_EQ(e.container, QStringLiteral("given"));
    }
    EXPECT_EQ(names, (QStringList{"1.mid", "10.mid", "a.MID", "b.mid", "B2.mid", "C.mid"}));
}

}  // namespace
}  // namespace vesk::test
