#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "intake/archive_probe.h"
#include "intake/intake_fixture.h"
#include "support/archive_builder.h"

namespace vesk::test {
namespace {

using intake::SongEntry;

std::vector<ArchiveMember> twoSongsAndNotes() {
    return {file("b.mid", smallSong("Song B")), file("readme.txt", "notes"),
            file("a.MID", smallSong("Song A")), file("cover.jpg", "\xFF\xD8"),
            file("c.rmi", smallSong("Song C"))};
}

struct Kind {
    const char* name;
    QByteArray (*build)(const std::vector<ArchiveMember>&);
};

QByteArray lzh0(const std::vector<ArchiveMember>& m) {
    return buildLzh(m, 0);
}
QByteArray lzh1(const std::vector<ArchiveMember>& m) {
    return buildLzh(m, 1);
}
QByteArray lzh2(const std::vector<ArchiveMember>& m) {
    return buildLzh(m, 2);
}

class EveryKind : public IntakeTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(EveryKind, PlayableMembersBecomeEntriesOfTheArchiveAndTheWorkFolderIsEmptied) {
    const QString archive =
        songs.write(QString::fromLatin1(GetParam().name), GetParam().build(twoSongsAndNotes()));

    auto entries = intake().addFiles(archive);

    ASSERT_EQ(entries.size(), 3u) << reporter.texts().join(u'\n').toStdString();
    EXPECT_EQ(entries[0], (SongEntry{QStringLiteral("a.MID"), archive, QStringLiteral("Song A")}));
    EXPECT_EQ(entries[1], (SongEntry{QStringLiteral("b.mid"), archive, QStringLiteral("Song B")}));
    EXPECT_EQ(entries[2], (SongEntry{QStringLiteral("c.rmi"), archive, QStringLiteral("Song C")}));
    for (const SongEntry& e : entries) {
        EXPECT_TRUE(intake::isArchiveMember(e));
    }
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_TRUE(workContents().isEmpty()) << workContents().join(u' ').toStdString();
    EXPECT_TRUE(QFileInfo(work.path() + QStringLiteral("/FileNames")).isDir());
}

// Members that are no songs: text is reported as "nothing supported", pictures are not.
TEST_P(EveryKind, ArchivesWithoutSongsAddNothing) {
    const std::vector<std::pair<std::vector<ArchiveMember>, QStringList>> cases{
        {{file("readme.txt", "a"), file("song.doc", "b"), file("x.rcp", "c")},
         {QStringLiteral("このﾌｫﾙﾀﾞには対応したﾌｧｲﾙが存在しません")}},
        {{file("cover.jpg", "\xFF\xD8")}, {}},
    };
    for (const auto& [members, said] : cases) {
        reporter.messages.clear();
        const QString archive =
            songs.write(QString::fromLatin1(GetParam().name), GetParam().build(members));
        EXPECT_TRUE(intake().addFiles(archive).empty());
        EXPECT_EQ(reporter.texts(), said);
        EXPECT_TRUE(workContents().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Archives, EveryKind,
                         ::testing::Values(Kind{"songs.zip", buildZip}, Kind{"songs.LZH", lzh0},
                                           Kind{"songs1.lzh", lzh1}, Kind{"songs2.lzh", lzh2},
                                           Kind{"songs.Rar", buildRar4}),
                         [](const auto& testInfo) {
                             QString n = QString::fromLatin1(testInfo.param.name);
                             n.replace(u'.', u'_');
                             return n.toStdString();
                         });

TEST_F(IntakeTest, OlderFilesInTheWorkFolderAreNeitherListedNorDeleted) {
    const QString playing = work.write(QStringLiteral("playing.mid"), smallSong("Playing"));
    const QString archive =
        songs.write(QStringLiteral("new.zip"), buildZip({file("n.mid", smallSong("N"))}));

    auto entries = intake().addFiles(archive);

    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QStringLiteral("n.mid"));
    EXPECT_EQ(workFiles(), QStringList{QStringLiteral("playing.mid")});
}

TEST_F(IntakeTest, JapaneseMemberNamesAreDecodedFromCp932) {
    // "ソング.mid" and "表.mid": both carry 0x5C as the second byte of a character.
    const QByteArray song("\x83\x5C\x83\x93\x83\x4F.mid");
    const QByteArray table("\x95\x5C.mid");
    const QString songName = QStringLiteral("ソング.mid");
    const QString tableName = QStringLiteral("表.mid");
    ArchiveMember flagged = file(table, smallSong("T"));
    flagged.utf8Flag = true;  // some tools flag CP932 names as UTF-8
    ArchiveMember realUtf8 = file("\xE3\x81\x82.mid", smallSong("U"));
    realUtf8.utf8Flag = true;

    const std::vector<std::pair<QString, QByteArray>> archives{
        {QStringLiteral("j.zip"), buildZip({file(song, smallSong("S")), flagged, realUtf8})},
        {QStringLiteral("j0.lzh"),
         buildLzh({file(song, smallSong("S")), file(table, smallSong("T"))}, 0)},
        {QStringLiteral("j1.lzh"),
         buildLzh({file(song, smallSong("S")), file(table, smallSong("T"))}, 1)},
        {QStringLiteral("j2.lzh"),
         buildLzh({file(song, smallSong("S")), file(table, smallSong("T"))}, 2)},
        {QStringLiteral("j.rar"),
         buildRar4({file(song, smallSong("S")), file(table, smallSong("T"))})},
    };
    for (const auto& [name, bytes] : archives) {
        SCOPED_TRACE(name.toStdString());
        auto entries = intake().addFiles(songs.write(name, bytes));
        QStringList names;
        for (const SongEntry& e : entries) {
            names.append(e.name);
            EXPECT_FALSE(e.title.isEmpty());
        }
        QStringList expected{songName, tableName};
        if (name.endsWith(u"zip")) {
            expected.append(QStringLiteral("あ.mid"));
        }
        names.sort();
        expected.sort();
        EXPECT_EQ(names, expected);
    }
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_TRUE(workContents().isEmpty());
}

TEST_F(IntakeTest, TraversalAbsoluteAndLinkMembersAreRefused) {
    const ArchiveMember link{"evil.mid", "/etc/passwd", ArchiveMember::Kind::Symlink, false};
    const std::vector<std::pair<QString, QByteArray>> archives{
        {QStringLiteral("t.zip"),
         buildZip({file("../up.mid", smallSong("U")), file("/abs.mid", "x"),
                   file("sub/../../deep.mid", "x"), file("ok.mid", smallSong("OK"))})},
        {QStringLiteral("t0.lzh"),
         buildLzh({file("..\\up.mid", "x"), file("/abs.mid", "x"), file("ok.mid", smallSong("OK"))},
                  0)},
        {QStringLiteral("t1.lzh"), buildLzh({file("..\\up.mid", "x"), file("C:\\abs.mid", "x"),
                                             file("ok.mid", smallSong("OK"))},
                                            1)},
        {QStringLiteral("t2.lzh"),
         buildLzh({file("../up.mid", "x"), link, file("ok.mid", smallSong("OK"))}, 2)},
        {QStringLiteral("t.rar"),
         buildRar4({file("..\\up.mid", "x"), link, file("ok.mid", smallSong("OK"))})},
    };
    for (const auto& [name, bytes] : archives) {
        SCOPED_TRACE(name.toStdString());
        auto entries = intake().addFiles(songs.write(name, bytes));
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, QStringLiteral("ok.mid"));
        EXPECT_TRUE(workContents().isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(work.path() + QStringLiteral("/../up.mid")));
    EXPECT_FALSE(QFileInfo::exists(work.path() + QStringLiteral("/../deep.mid")));
    // The user is told once per archive that members were left out.
    ASSERT_EQ(reporter.messages.size(), archives.size());
    EXPECT_TRUE(reporter.messages[0].text.contains(QStringLiteral("t.zip")));
    EXPECT_TRUE(reporter.messages[0].text.contains(u'3'));
}

TEST_F(IntakeTest, ZipLinkMembersNeverBecomeLinks) {
    const ArchiveMember link{"evil.mid", "/etc/passwd", ArchiveMember::Kind::Symlink, false};
    const QString archive = songs.write(QStringLiteral("l.zip"), buildZip({link}));
    extractor.extractArchive(archive, QStringLiteral("*.mid"), reporter);
    const QFileInfo written(memberFolder(archive) + QStringLiteral("evil.mid"));
    EXPECT_FALSE(written.isSymLink());
}

TEST_F(IntakeTest, ALinkPlantedInTheArchivesFolderIsReplacedNotFollowed) {
    const QString outside = songs.write(QStringLiteral("victim.txt"), "keep me");
    const QString archive = songs.write(
        QStringLiteral("p.zip"), buildZip({file("x.mid", smallSong("X")), file("dir/y.mid", "y")}));
    const QString folder = memberFolder(archive);
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(outside, folder + QStringLiteral("x.mid")));
    ASSERT_TRUE(QFile::link(songs.path(), folder + QStringLiteral("dir")));

    auto outcome = extractor.extractArchive(archive, QStringLiteral("*.mid"), reporter);

    EXPECT_EQ(readAll(outside), QByteArray("keep me"));
    EXPECT_FALSE(QFileInfo::exists(songs.path() + QStringLiteral("/y.mid")));
    EXPECT_EQ(outcome.written, QStringList{folder + QStringLiteral("x.mid")});
    EXPECT_FALSE(QFileInfo(folder + QStringLiteral("x.mid")).isSymLink());
}

TEST_F(IntakeTest, MembersInSubFoldersAreWrittenBelowTheArchivesFolderAndCleanedUp) {
    const QString archive = songs.write(
        QStringLiteral("s.zip"),
        buildZip({file("set/deep.mid", smallSong("D")), file("top.mid", smallSong("T"))}));

    auto outcome = extractor.extractArchive(archive, QStringLiteral("*.mid"), reporter);
    EXPECT_TRUE(QFileInfo::exists(memberFolder(archive) + QStringLiteral("set/deep.mid")));
    EXPECT_EQ(outcome.createdFolders, QStringList{memberFolder(archive) + QStringLiteral("set")});
    for (const QString& f : outcome.written) {
        QFile::remove(f);
    }
    QDir().rmdir(memberFolder(archive) + QStringLiteral("set"));

    // The scan looks only at the work folder itself, like at any other folder.
    auto entries = intake().addFiles(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QStringLiteral("top.mid"));
    EXPECT_TRUE(workContents().isEmpty());
}

TEST_F(IntakeTest, SizeBoundsStopAnOversizedMemberAndTheArchive) {
    intake::ArchiveExtractor small(module, settings, intake::ExtractLimits{1000, 1500, 5});
    const QString archive = songs.write(
        QStringLiteral("bomb.zip"),
        buildZip({file("a.mid", QByteArray(900, 'a')), file("b.mid", QByteArray(2000, 'b')),
                  file("c.mid", QByteArray(900, 'c')), file("d.mid", QByteArray(10, 'd'))}));

    auto outcome = small.extractArchive(archive, QStringLiteral("*.mid"), reporter);

    EXPECT_EQ(outcome.written, QStringList{memberFolder(archive) + QStringLiteral("a.mid")});
    EXPECT_EQ(QDir(memberFolder(archive)).entryList(QDir::Files), QStringList{"a.mid"});

    const QString rar = songs.write(QStringLiteral("bomb.rar"),
                                    buildRar4({file("big.mid", QByteArray(2000, 'b'))}));
    ASSERT_EQ(reporter.messages.size(), 1u) << "the user is told the ZIP was cut short";
    EXPECT_TRUE(reporter.messages[0].text.contains(QStringLiteral("bomb.zip")));
    reporter.messages.clear();
    small.extractArchive(rar, QStringLiteral("*.mid"), reporter);
    EXPECT_EQ(reporter.texts(), QStringList{QStringLiteral("Write error")});
    EXPECT_EQ(reporter.messages[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(reporter.messages[0].icon, platform::MessageIcon::Exclamation);
}

TEST_F(IntakeTest, LzhAndZipPatternsAreWildcardsOrOneExactName) {
    const QString archive =
        songs.write(QStringLiteral("p.zip"), buildZip({file("My Song.MID", "1"), file("x.mid", "2"),
                                                       file("xmid", "3"), file("a1.txt", "4")}));
    auto extract = [&](const QString& patterns) {
        QStringList names;
        for (const QString& f : extractor.extractArchive(archive, patterns, reporter).written) {
            names.append(QFileInfo(f).fileName());
            QFile::remove(f);
        }
        return names;
    };
    EXPECT_EQ(extract(QStringLiteral("*.mid")), (QStringList{"My Song.MID", "x.mid"}));
    EXPECT_EQ(extract(QStringLiteral("my song.mid")), QStringList{"My Song.MID"});
    EXPECT_EQ(extract(QStringLiteral("?1.TXT X.MID")), (QStringList{"x.mid", "a1.txt"}));
    EXPECT_TRUE(extract(QStringLiteral("song.mid")).isEmpty());
}

TEST_F(IntakeTest, RarFollowsItsOwnMatchingRule) {
    const QString archive = songs.write(
        QStringLiteral("m.rar"),
        buildRar4({file("Song.MID", "1"), file("xmid", "2"), file("pic.png", "3"),
                   file("Set\\Inner.mid", "4"), file("my song.mid", "5"), file("two.mid", "6")}));
    auto extract = [&](const QString& patterns) {
        QStringList names;
        for (const QString& f :
             extractor.extractRar(archive, module.workFolder, patterns, reporter).written) {
            names.append(f.mid(module.workFolder.size()));
            QFile::remove(f);
        }
        return names;
    };
    // "*.mid" compares the last three characters only.
    EXPECT_EQ(extract(QStringLiteral("*.mid *.rmi")),
              (QStringList{"Song.MID", "xmid", "Set/Inner.mid", "my song.mid", "two.mid"}));
    EXPECT_EQ(extract(QStringLiteral("song.mid")), QStringList{"Song.MID"});
    EXPECT_TRUE(extract(QStringLiteral("inner.mid")).isEmpty());
    EXPECT_EQ(extract(QStringLiteral("set/inner.MID")), QStringList{"Set/Inner.mid"});
    // Split at its space, the request names "my" and "song.mid", never "my song.mid".
    EXPECT_EQ(extract(QStringLiteral("my song.mid")), QStringList{"Song.MID"});
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(IntakeTest, RarOpenFailuresShowOneMessageUnderTheErrorCaption) {
    const QString notRar = songs.write(QStringLiteral("fake.rar"), "PK\x03\x04 not a rar at all");
    const QString missing = songs.file(QStringLiteral("missing.rar"));
    QByteArray broken = buildRar4({file("a.mid", "1")});
    broken[20] = static_cast<char>(broken[20] ^ 0x55);  // first file header's CRC
    const QString damaged = songs.write(QStringLiteral("damaged.rar"), broken);

    EXPECT_TRUE(intake().addFiles(notRar).empty());
    EXPECT_TRUE(intake().addFiles(missing).empty());
    EXPECT_TRUE(intake().addFiles(damaged).empty());

    EXPECT_EQ(reporter.texts(), (QStringList{notRar + QStringLiteral(" is not RAR archive"),
                                             QStringLiteral("Cannot open ") + missing,
                                             damaged + QStringLiteral(": archive header broken")}));
    for (const auto& m : reporter.messages) {
        EXPECT_EQ(m.caption, QStringLiteral("Error"));
        EXPECT_EQ(m.icon, platform::MessageIcon::Exclamation);
    }
}

TEST_F(IntakeTest, RarMemberFailuresGiveOneMessageEachAndTheOthersGoOn) {
    const QString archive =
        songs.write(QStringLiteral("two.rar"), buildRar4({file("blocked.mid", smallSong("Blocked")),
                                                          file("good.mid", smallSong("Good"))}));
    // A folder where the member should go cannot be replaced by it.
    ASSERT_TRUE(QDir().mkpath(memberFolder(archive) + QStringLiteral("blocked.mid")));

    auto entries = intake().addFiles(archive);

    EXPECT_EQ(reporter.texts(), QStringList{QStringLiteral("File create error")});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QStringLiteral("good.mid"));

    QByteArray cut = buildRar4({file("cut.mid", smallSong("Cut"))});
    cut.truncate(cut.indexOf("MThd") + 10);
    reporter.messages.clear();
    const QString truncated = songs.write(QStringLiteral("cut.rar"), cut);
    EXPECT_TRUE(intake().addFiles(truncated).empty());
    EXPECT_EQ(reporter.texts(), QStringList{QStringLiteral("Read error")});
    EXPECT_FALSE(QFileInfo::exists(work.path() + QStringLiteral("/cut.mid")));
}

TEST_F(IntakeTest, ArbitraryBytesNamedAsArchivesNeverCrash) {
    QByteArray noise;
    quint32 seed = 12345;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1103515245 + 12345;
        noise.append(static_cast<char>(seed >> 24));
    }
    QByteArray zip = buildZip({file("a.mid", smallSong("A"))});
    zip.replace(30, 10, noise.left(10));
    QByteArray lzh = buildLzh({file("a.mid", smallSong("A"))}, 2);
    lzh.truncate(lzh.size() / 2);
    for (const auto& [name, bytes] : std::vector<std::pair<QString, QByteArray>>{{"n.zip", noise},
                                                                                 {"n.lzh", noise},
                                                                                 {"n.rar", noise},
                                                                                 {"z.zip", zip},
                                                                                 {"l.lzh", lzh},
                                                                                 {"e.zip", {}},
                                                                                 {"e.lzh", {}}}) {
        intake().addFiles(songs.write(name, bytes));
    }
    EXPECT_TRUE(workContents().isEmpty());
}

TEST(ArchiveProbe, EachReaderReportsLibarchiveAndItsFormat) {
    const auto lzh = intake::probeLzhReader();
    const auto zip = intake::probeZipReader();
    const auto rar = intake::probeRarReader();
    ASSERT_TRUE(lzh && zip && rar);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(lzh->number).hasMatch());
    for (const auto* reader : {&*lzh, &*zip, &*rar}) {
        EXPECT_EQ(reader->credit, QStringLiteral("libarchive"));
    }
    EXPECT_EQ(intake::archiveKindOf(QStringLiteral("a.Lzh")), intake::ArchiveKind::Lzh);
    EXPECT_EQ(intake::archiveKindOf(QStringLiteral("a.7z")), intake::ArchiveKind::None);
}

}  // namespace
}  // namespace vesk::test
