// Inputs the fuzz targets found to break the readers, kept so the faults stay fixed.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include "config/module_state.h"
#include "config/settings.h"
#include "intake/archive_extract.h"
#include "intake/intake.h"
#include "intake/member_filter.h"
#include "intake/multi_list.h"
#include "regression/guarded_bytes.h"
#include "sequencer/sequencer_errors.h"
#include "sequencer/smf_reader.h"
#include "support/temp_dir.h"

namespace vesk::test {
namespace {

QByteArray regressionInput(const char* name) {
    return readAll(QStringLiteral(VESK_TEST_DATA "/regression/") + QLatin1String(name));
}

QByteArray be32(std::uint32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<char>(v >> (24 - 8 * i));
    }
    return b;
}

// A format 0 header and one good track with a note.
QByteArray headerAndTrack() {
    const QByteArray body("\x00\x90\x3C\x40\x60\x80\x3C\x40\x00\xFF\x2F\x00", 12);
    return QByteArray("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14) + "MTrk" + be32(body.size()) + body;
}

// After a damaged chunk the reader searches for the next "MTrk"; one found in the last
// seven bytes of the file has no complete length field after it, and the length was read
// past the end of the file.
TEST(SmfReaderRegression, TrackTagTooCloseToTheEndIsNotReadPast) {
    for (int tail = 0; tail <= 3; ++tail) {
        const QByteArray file = headerAndTrack() + "\x01junk" + "MTrk" + QByteArray(tail, '\x7F');
        const GuardedBytes bytes(file);
        ASSERT_TRUE(bytes.valid());
        sequencer::Song song;
        ASSERT_EQ(sequencer::readSmf(bytes.span(), song), sequencer::SequencerError::None)
            << "tail " << tail;
        EXPECT_EQ(song.trackChunks, 1) << "tail " << tail;
        EXPECT_EQ(song.events.size(), 2u) << "tail " << tail;
        EXPECT_NE(song.damage & sequencer::kDamageForeignChunk, 0u) << "tail " << tail;
    }
}

TEST(SmfReaderRegression, FuzzedFileWithTagAtTheEnd) {
    const QByteArray file = regressionInput("smf-track-tag-at-end.mid");
    ASSERT_FALSE(file.isEmpty());
    ASSERT_TRUE(file.endsWith(QByteArray("MTrk\xFF/\0", 7)));
    const GuardedBytes bytes(file);
    ASSERT_TRUE(bytes.valid());
    sequencer::Song song;
    EXPECT_EQ(sequencer::readSmf(bytes.span(), song), sequencer::SequencerError::None);
    EXPECT_GT(song.events.size(), 0u);
}

class SilentReporter final : public intake::IntakeReporter {
  public:
    void showMessage(const QString&, platform::MessageIcon, const QString&) override {}
};

std::vector<intake::SongEntry> readList(const QString& path) {
    config::ModuleState module;
    config::Settings settings;
    SilentReporter reporter;
    intake::ArchiveExtractor extractor(module, settings);
    intake::Intake intake(module, settings, extractor, reporter,
                          [](const QString&) { return QString(); });
    return intake.readMultiList(path);
}

// Songs of the root folder (and bare names outside a block) have an empty container.
// Two of them in a row were saved as a block "APP " whose base is empty; read back, that
// line is a song of its own and the names after it lose their folder.
TEST(MultiListRegression, SongsWithoutFolderSurviveSaving) {
    using intake::SongEntry;
    EXPECT_EQ(intake::makeMltText({SongEntry{"a.mid", "", ""}, SongEntry{"b.mid", "", ""},
                                   SongEntry{"c.mid", "/m", ""}, SongEntry{"d.mid", "/m", ""}}),
              QStringLiteral("MultiListFile Copyright(C)Studio Tavorin\r\n/a.mid\r\n/b.mid\r\n"
                             "APP /m\r\n    c.mid\r\n    d.mid"));

    TempDir dir;
    const std::vector<SongEntry> first =
        readList(dir.write("in.mlt", regressionInput("mlt-songs-without-folder.mlt")));
    ASSERT_EQ(first.size(), 6u);
    EXPECT_EQ(first[4], (SongEntry{"x.mid", "", ""}));
    EXPECT_EQ(first[5], (SongEntry{"y.mid", "", ""}));

    const QString saved = dir.file("saved.mlt");
    ASSERT_TRUE(intake::saveMultiList(saved, first).ok);
    EXPECT_EQ(readList(saved), first);
}

// A block whose base is the root folder, "APP /": its songs came out as "//name", which
// a saved list writes as a comment line.
TEST(MultiListRegression, BlockInTheRootFolderKeepsItsSongs) {
    using intake::SongEntry;
    TempDir dir;
    const std::vector<SongEntry> fuzzed =
        readList(dir.write("fuzzed.mlt", regressionInput("mlt-block-in-root-folder.mlt")));
    ASSERT_EQ(fuzzed.size(), 1u);
    EXPECT_EQ(fuzzed[0].container, QString());
    const QString resaved = dir.file("resaved.mlt");
    ASSERT_TRUE(intake::saveMultiList(resaved, fuzzed).ok);
    EXPECT_EQ(readList(resaved), fuzzed);

    const std::vector<SongEntry> block =
        readList(dir.write("block.mlt",
                           "MultiListFile Copyright(C)Studio Tavorin\r\nAPP /\r\n  a.mid\r\n"
                           "END APP\r\nAPP /music/\r\n  b.mid\r\n"));
    EXPECT_EQ(block, (std::vector<SongEntry>{{"a.mid", "", ""}, {"b.mid", "/music", ""}}));
}

// A song line starting with "/" inside a block gave "base//name": its container ended in
// "/", so it was saved in a block of its own, which read back under another container.
TEST(MultiListRegression, DoubledSeparatorsAreOne) {
    using intake::SongEntry;
    TempDir dir;
    const std::vector<SongEntry> fuzzed =
        readList(dir.write("fuzzed.mlt", regressionInput("mlt-doubled-separators.mlt")));
    ASSERT_EQ(fuzzed.size(), 6u);
    for (const SongEntry& e : fuzzed) {
        EXPECT_EQ(e.container, QStringLiteral("/IDIL")) << e.name.toStdString();
    }
    const QString resaved = dir.file("resaved.mlt");
    ASSERT_TRUE(intake::saveMultiList(resaved, fuzzed).ok);
    EXPECT_EQ(readList(resaved), fuzzed);

    EXPECT_EQ(readList(dir.write("lines.mlt",
                                 "[MIDILIST]\r\n/a//b///c.mid\r\nAPP /d\r\n"
                                 "  /e.mid\r\n  f//g.mid\r\n")),
              (std::vector<SongEntry>{
                  {"c.mid", "/a/b", ""}, {"e.mid", "/d", ""}, {"g.mid", "/d/f", ""}}));
}

// A NUL inside a block base made every song's folder "the text before the NUL", as for a
// multi-selection, which kept the base's last "/" and so read back under another folder.
TEST(MultiListRegression, LinesEndAtNul) {
    using intake::SongEntry;
    TempDir dir;
    const std::vector<SongEntry> fuzzed =
        readList(dir.write("fuzzed.mlt", regressionInput("mlt-nul-in-base.mlt")));
    ASSERT_EQ(fuzzed.size(), 6u);
    EXPECT_EQ(fuzzed[0], (SongEntry{"a.1MIDILIST]", "/homus", ""}));
    const QString resaved = dir.file("resaved.mlt");
    ASSERT_TRUE(intake::saveMultiList(resaved, fuzzed).ok);
    EXPECT_EQ(readList(resaved), fuzzed);

    EXPECT_EQ(readList(dir.write("nul.mlt", QByteArray("[MIDILIST]\r\n/m/a.mid\0junk\r\n", 27))),
              (std::vector<SongEntry>{{"a.mid", "/m", ""}}));
}

class ExtractTest : public ::testing::Test {
  protected:
    ExtractTest() {
        module.workFolder = dir.path() + QStringLiteral("/work/");
        module.haveZipReader = true;
    }
    TempDir dir;
    config::ModuleState module;
    config::Settings settings;
    SilentReporter reporter;
    intake::ArchiveExtractor extractor{module, settings};
};

// Two members of one name, the second with a bad checksum: removing the broken second
// copy removed the file of the first as well, yet the extraction still reported it
// written, so the intake would look for a file that is not there.
TEST_F(ExtractTest, DamagedDuplicateMemberLeavesNoFileReportedThatIsGone) {
    const QString archive =
        dir.write("fuzzed.zip", regressionInput("archive-damaged-duplicate-member.zip"));
    const intake::ExtractOutcome outcome =
        extractor.extractArchive(archive, QStringLiteral("*"), reporter);
    for (const QString& written : outcome.written) {
        EXPECT_TRUE(QFileInfo(written).isFile()) << written.toStdString();
    }
    const QStringList present = QDir(module.workFolder).entryList(QDir::Files);
    EXPECT_EQ(present.size(), outcome.written.size());
}

// The system ends a path at NUL, so a member name holding one would be written under a
// shorter name than the one recorded, and never removed again.
TEST(MemberNameRegression, NamesWithNulAreNotSafe) {
    EXPECT_FALSE(intake::safeRelativePath(QStringLiteral("song.mid") + QChar(0) + "x"));
    EXPECT_FALSE(intake::safeRelativePath(QStringLiteral("..") + QChar(0) + "/x.mid"));
    EXPECT_EQ(intake::safeRelativePath(QStringLiteral("dir/song.mid")),
              std::optional<QString>(QStringLiteral("dir/song.mid")));
}

}  // namespace
}  // namespace vesk::test
