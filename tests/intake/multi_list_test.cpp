#include "intake/multi_list.h"
#include "intake/intake_fixture.h"
#include "intake/path_text.h"
#include "platform/file_path.h"
#include "platform/text_codec.h"
#include "support/archive_builder.h"

namespace vesk::test {
namespace {

using intake::SongEntry;

SongEntry song(const char* container, const char* name) {
    SongEntry e;
    e.container = QString::fromUtf8(container);
    e.name = QString::fromUtf8(name);
    return e;
}

// Runs of one container become blocks, lone entries full paths; a final block has no END
// line; containers compare exactly, so letter case makes two runs.
TEST(SaveMultiList, WritesBlocksForRunsInUtf8WithCrLf) {
    EXPECT_FALSE(intake::listCanBeSaved(1));
    EXPECT_TRUE(intake::listCanBeSaved(2));
    const QByteArray head = "MultiListFile Copyright(C)Studio Tavorin\r\n";
    const std::vector<std::pair<std::vector<SongEntry>, QByteArray>> cases{
        {{song("/m/set", "a.mid"), song("/m/set", "b.mid"), song("/m", "single.mid")},
         "APP /m/set\r\n    a.mid\r\n    b.mid\r\nEND APP\r\n/m/single.mid\r\n"},
        {{song("/m", "x.mid"), song("/a/p.lzh", "one.mid"), song("/a/p.lzh", "two.mid")},
         "/m/x.mid\r\nAPP /a/p.lzh\r\n    one.mid\r\n    two.mid\r\n"},
        {{song("/M", "a.mid"), song("/m", "b.mid")}, "/M/a.mid\r\n/m/b.mid\r\n"},
        {{song("/曲", "あ.mid"), song("/x", "b.mid")},
         "/\xE6\x9B\xB2/\xE3\x81\x82.mid\r\n/x/b.mid\r\n"},
    };
    TempDir dir;
    const QString path = dir.file(QStringLiteral("l.mlt"));
    for (const auto& [list, body] : cases) {
        ASSERT_TRUE(intake::saveMultiList(path, list).ok);
        EXPECT_EQ(readAll(path), head + body);
    }
}

TEST_F(IntakeTest, SavedListsReadBackToTheSameEntries) {
    songs.write(QStringLiteral("set/a.mid"), smallSong("A"));
    songs.write(QStringLiteral("set/b.mid"), smallSong("B"));
    songs.write(QStringLiteral("set/c.mid"), smallSong("C"));
    songs.write(QStringLiteral("other/d.mid"), smallSong("D"));
    const QString set = songs.path() + QStringLiteral("/set");
    const QString other = songs.path() + QStringLiteral("/other");
    const std::vector<std::vector<SongEntry>> lists{
        {{"a.mid", set, "A"}, {"b.mid", set, "B"}, {"c.mid", set, "C"}, {"d.mid", other, "D"}},
        {{"d.mid", other, "D"}, {"a.mid", set, "A"}, {"b.mid", set, "B"}},
    };
    for (const auto& list : lists) {
        const QString path = songs.file(QStringLiteral("saved.mlt"));
        ASSERT_TRUE(intake::saveMultiList(path, list).ok);
        EXPECT_EQ(intake().addFiles(path), list);
    }
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(IntakeTest, NamesThatAreNotUtf8AndRootSongsReadBackFromASavedList) {
    // Shift-JIS names in a block with a UTF-8 name, and one on a line of its own.
    songs.write(QStringLiteral("sub/x.mid"), smallSong("X"));
    const QString sjis = songs.writeNamed("sub/\x8B\xC8.mid", smallSong("S"));
    const QString utf8 = songs.writeNamed("sub/\xE6\x9B\xB2.mid", smallSong("U"));
    const QString lone = songs.writeNamed("\x95\x5C.mid", smallSong("T"));
    const QString slash = songs.writeNamed("sub/back\\slash.mid", smallSong("B"));
    const QString sub = songs.path() + QStringLiteral("/sub");
    const std::vector<SongEntry> list{{intake::getFileName(sjis), sub, "S"},
                                      {intake::getFileName(utf8), sub, "U"},
                                      {"x.mid", sub, "X"},
                                      {intake::getFileName(slash), sub, "B"},
                                      {intake::getFileName(lone), songs.path(), "T"}};
    const QString path = songs.file(QStringLiteral("saved.mlt"));
    ASSERT_TRUE(intake::saveMultiList(path, list).ok);
    EXPECT_EQ(intake().addFiles(path), list);
    EXPECT_TRUE(reporter.messages.empty());

    // A song of the root folder: its line must not start with "//", a comment.
    ASSERT_TRUE(intake::saveMultiList(path, {{"x.mid", "/", ""}, {"y.mid", "/m", ""}}).ok);
    const auto root = intake().addFiles(path);
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root[0].container + u'/' + root[0].name, QStringLiteral("/x.mid"));
}

TEST_F(IntakeTest, ListReaderTakesHereBlocksCommentsAndAppNames) {
    songs.write(QStringLiteral("apple.mid"), smallSong("Apple"));
    songs.write(QStringLiteral("two.mid"), smallSong("Two"));
    const QString list = songs.write(QStringLiteral("l.mlt"),
                                     "[midilist]\r\n"
                                     "// a comment\r\n"
                                     "  APP here  \r\n"
                                     "    apple.mid\r\n"
                                     "//   another\r\n"
                                     "two.mid\r\n"
                                     "app /elsewhere\r\n"
                                     "    x.mid\r\n"
                                     "end app\r\n"
                                     "/full/path.mid\r\n"
                                     "// trailing comment\r\n");

    auto entries = intake().addFiles(list);

    const std::vector<SongEntry> expected{{"apple.mid", songs.path(), "Apple"},
                                          {"two.mid", songs.path(), "Two"},
                                          {"x.mid", "/elsewhere", ""},
                                          {"path.mid", "/full", ""}};
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(reporter.shown, expected);
    EXPECT_EQ(reporter.eventRuns, 0);
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(IntakeTest, ListLinesAreNotCheckedForTheirKind) {
    const QString list = songs.write(QStringLiteral("k.mlt"),
                                     "MULTILISTFILE COPYRIGHT(C)STUDIO TAVORIN\n"
                                     "/x/inner.mlt\n/x/song.rcp\n\n/x/last.mid");
    auto entries = intake().addFiles(list);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, QStringLiteral("inner.mlt"));
    EXPECT_EQ(entries[1].name, QStringLiteral("song.rcp"));
    // An empty line is a song line too.
    EXPECT_EQ(entries[2], (SongEntry{"", "", ""}));
    EXPECT_EQ(entries[3].name, QStringLiteral("last.mid"));
}

TEST_F(IntakeTest, AWrongHeaderIsReportedWithThePath) {
    const QString list = songs.write(QStringLiteral("bad.mlt"), " [MIDILIST]\r\n/x/a.mid\r\n");
    EXPECT_TRUE(intake().addFiles(list).empty());
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              list + QStringLiteral("\r\nこれはMIDIリストではありません"));
    EXPECT_EQ(reporter.messages[0].icon, platform::MessageIcon::Critical);

    reporter.messages.clear();
    EXPECT_TRUE(intake().addFiles(songs.file(QStringLiteral("missing.mlt"))).empty());
    EXPECT_TRUE(intake().addFiles(songs.write(QStringLiteral("empty.mlt"), "")).size() == 0);
    EXPECT_EQ(reporter.messages.size(), 1u);
}

TEST_F(IntakeTest, WindowsListsInCp932AreRead) {
    songs.write(QStringLiteral("曲/ソング.mid"), smallSong("Song"));
    QByteArray bytes =
        platform::encodeCp932(QStringLiteral("[MIDILIST]\r\nAPP HERE\r\n"
                                             "曲\\ソング.mid\r\n表.mid\r\n"));
    const QString list = songs.write(QStringLiteral("win.mlt"), bytes);

    auto entries = intake().addFiles(list);

    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (SongEntry{"ソング.mid", songs.path() + QStringLiteral("/曲"), "Song"}));
    EXPECT_EQ(entries[1], (SongEntry{"表.mid", songs.path(), ""}));
}

TEST_F(IntakeTest, ArchiveMembersInAListAreExtractedForTheirTitles) {
    const QString zip = songs.write(
        QStringLiteral("pack.zip"),
        buildZip({file("one.mid", smallSong("One")), file("two.mid", smallSong("Two"))}));
    const QString rar =
        songs.write(QStringLiteral("pack.rar"), buildRar4({file("r.mid", smallSong("R"))}));
    const QString list =
        songs.write(QStringLiteral("a.mlt"), (QStringLiteral("[MIDILIST]\nAPP ") + zip +
                                              QStringLiteral("\n  two.mid\n  gone.mid\nEND APP\n") +
                                              rar + QStringLiteral("/r.mid\n"))
                                                 .toUtf8());

    auto entries = intake().addFiles(list);

    const std::vector<SongEntry> expected{
        {"two.mid", zip, "Two"}, {"gone.mid", zip, ""}, {"r.mid", rar, "R"}};
    EXPECT_EQ(entries, expected);
    // Members read for a list stay in their archives' folders.
    EXPECT_EQ(QDir(memberFolder(zip)).entryList(QDir::Files), QStringList{"two.mid"});
    EXPECT_EQ(QDir(memberFolder(rar)).entryList(QDir::Files), QStringList{"r.mid"});

    module.haveZipReader = false;
    settings.useLhasa = false;
    QFile::remove(memberFolder(zip) + QStringLiteral("two.mid"));
    auto without = intake().addFiles(list);
    ASSERT_EQ(without.size(), 3u);
    EXPECT_EQ(without[0], (SongEntry{"two.mid", zip, ""}));
}

// A list line naming a wildcard in an archive is not a song: nothing of the archive is
// extracted for it, and only the song a line names is.
TEST_F(IntakeTest, AWildcardListLineExtractsNothing) {
    const QString zip = songs.write(
        QStringLiteral("hostile.zip"),
        buildZip({file("FileNames/0.File", "\"/tmp/injected.mid\"\r\n"), file("Lock", "x"),
                  file("run.sh", "rm -rf ~"), file("song.mid", smallSong("Song"))}));
    const QString list =
        songs.write(QStringLiteral("w.mlt"),
                    (QStringLiteral("[MIDILIST]\n") + zip + QStringLiteral("/*\n") + zip +
                     QStringLiteral("/*.sh\n") + zip + QStringLiteral("/song.mid\n"))
                        .toUtf8());

    auto entries = intake().addFiles(list);

    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2], (SongEntry{"song.mid", zip, "Song"}));
    EXPECT_EQ(QDir(memberFolder(zip)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"song.mid"});
    EXPECT_TRUE(QDir(work.path() + QStringLiteral("/FileNames"))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty());
}

// A line longer than any path is left out whole (and said once), not cut into entries.
TEST_F(IntakeTest, OverLongListLinesAreLeftOutWhole) {
    const QByteArray huge = "/x/" + QByteArray(70000, 'y') + ".mid\n";
    const QString list = songs.write(QStringLiteral("long.mlt"),
                                     "[MIDILIST]\n/x/a.mid\n" + huge + huge + "/x/b.mid");
    auto entries = intake().addFiles(list);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, QStringLiteral("a.mid"));
    EXPECT_EQ(entries[1].name, QStringLiteral("b.mid"));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_TRUE(reporter.messages[0].text.contains(list));
}

}  // namespace
}  // namespace vesk::test
