// Each archive's members in a folder of their own below the work folder, whichever
// extractor writes them.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "intake/intake_fixture.h"
#include "support/archive_builder.h"

namespace vesk::test {
namespace {

// Every file below `folder`, relative to it, sorted.
QStringList filesBelow(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        found.append(it.next().mid(folder.size()));
    }
    found.sort();
    return found;
}

// Members named like the hand-off folder and the lock, extracted by wildcard from every
// kind of archive, stay inside the archive's folder; the player's own entries are as they
// were, and the songs among them are taken.
TEST_F(IntakeTest, MembersNamedLikeThePlayersOwnEntriesCannotTouchThem) {
    const QString lock = work.write(QStringLiteral("Lock/instance.lock"), "held");
    const std::vector<ArchiveMember> members{file("FileNames/0.File", "\"/tmp/injected.mid\"\r\n"),
                                             file("Lock/instance.lock", "x"),
                                             file("after.mid", smallSong("A"))};
    const std::vector<std::pair<QString, QByteArray>> archives{
        {QStringLiteral("o.zip"), buildZip(members)},
        {QStringLiteral("o0.lzh"), buildLzh(members, 0)},
        {QStringLiteral("o2.lzh"), buildLzh(members, 2)},
        {QStringLiteral("o.rar"), buildRar4(members)},
    };
    for (const auto& [name, bytes] : archives) {
        SCOPED_TRACE(name.toStdString());
        const QString archive = songs.write(name, bytes);
        const auto outcome = extractor.extractArchive(archive, QStringLiteral("*"), reporter);
        EXPECT_EQ(filesBelow(memberFolder(archive)),
                  (QStringList{"FileNames/0.File", "Lock/instance.lock", "after.mid"}));
        EXPECT_TRUE(QDir(work.path() + QStringLiteral("/FileNames")).isEmpty());
        EXPECT_EQ(readAll(lock), QByteArray("held"));

        const auto entries = intake().addFiles(archive);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, QStringLiteral("after.mid"));
    }
    EXPECT_TRUE(reporter.messages.empty());
    // Each archive has its own folder, and nothing else appeared beside the player's own.
    QStringList top = workContents();
    top.removeAll(QStringLiteral("Lock"));
    EXPECT_EQ(top.size(), static_cast<qsizetype>(archives.size()));
}

TEST_F(IntakeTest, ALinkInPlaceOfAnArchivesFolderIsNotWrittenThrough) {
    const QString archive =
        songs.write(QStringLiteral("p.zip"), buildZip({file("x.mid", smallSong("X"))}));
    const QString target = songs.path() + QStringLiteral("/elsewhere");
    QDir().mkpath(target);
    ASSERT_TRUE(QFile::link(target, memberFolder(archive).chopped(1)));
    EXPECT_TRUE(
        extractor.extractArchive(archive, QStringLiteral("*.mid"), reporter).written.isEmpty());
    EXPECT_TRUE(QDir(target).isEmpty());
}

// The external archiver, used when the library has no LZH reader: it is given only the
// members the library would take, and what it writes is tracked and removed like the
// library's own output.
TEST_F(IntakeTest, TheExternalArchiverExtractsOnlyTheWantedMembers) {
    if (!QFileInfo(settings.lhasaPath).isExecutable()) {
        GTEST_SKIP() << "no archiver at " << settings.lhasaPath.toStdString();
    }
    module.haveLzhReader = false;
    settings.useLhasa = true;
    const ArchiveMember link{"evil.mid", "/etc/passwd", ArchiveMember::Kind::Symlink, false};
    const QString lzh =
        songs.write(QStringLiteral("ext.lzh"),
                    buildLzh({file("One.MID", smallSong("One")), file("cover.jpg", "\xFF\xD8"),
                              file("run.sh", "rm -rf ~"), file("sub/two.mid", smallSong("Two")),
                              file("../up.mid", "x"), link, file("notes.txt", "n")},
                             2));

    auto outcome = extractor.extractArchive(lzh, QStringLiteral("*.mid *.txt"), reporter);
    EXPECT_EQ(outcome.folder, memberFolder(lzh));
    // The archiver itself takes the climb out of "../up.mid".
    EXPECT_EQ(filesBelow(outcome.folder),
              (QStringList{"One.MID", "notes.txt", "sub/two.mid", "up.mid"}));
    QStringList written = outcome.written;
    written.sort();
    EXPECT_EQ(written, (QStringList{outcome.folder + "One.MID", outcome.folder + "notes.txt",
                                    outcome.folder + "sub/two.mid", outcome.folder + "up.mid"}));
    EXPECT_EQ(outcome.createdFolders, QStringList{outcome.folder + "sub"});
    EXPECT_FALSE(QFileInfo::exists(work.path() + QStringLiteral("/up.mid")));
    EXPECT_FALSE(QFileInfo::exists(songs.path() + QStringLiteral("/up.mid")));
    EXPECT_TRUE(reporter.messages.empty());
    QDir(outcome.folder).removeRecursively();

    // A link member is never named to it; the user hears of it once.
    EXPECT_TRUE(extractor.extractArchive(lzh, QStringLiteral("evil*"), reporter).written.isEmpty());
    EXPECT_TRUE(filesBelow(outcome.folder).isEmpty());
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_TRUE(reporter.messages[0].text.contains(QStringLiteral("ext.lzh")));
    reporter.messages.clear();

    // A list names one member; the intake's scan removes what it wrote.
    extractor.extractListedMember(lzh, QStringLiteral("sub/two.mid"), reporter);
    EXPECT_EQ(filesBelow(outcome.folder), QStringList{"sub/two.mid"});
    QDir(outcome.folder).removeRecursively();
    const auto entries = intake().addFiles(lzh);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0],
              (intake::SongEntry{QStringLiteral("One.MID"), lzh, QStringLiteral("One")}));
    EXPECT_EQ(entries[1].name, QStringLiteral("up.mid"));
    EXPECT_TRUE(workContents().isEmpty()) << workContents().join(u' ').toStdString();
}

}  // namespace
}  // namespace vesk::test
