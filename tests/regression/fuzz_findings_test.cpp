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

// Lists the fuzzer made, each read back from its own saved copy unchanged:
// - songs of the root folder (and bare names outside a block) have an empty container; two
//   in a row were saved as a block "APP " whose base is empty, and read back, the names
//   after it lost their folder;
// - a block whose base is the root folder, "APP /": its songs came out as "//name", which
//   a saved list writes as a comment line;
// - a song line starting with "/" inside a block gave "base//name", saved in a block of its
//   own that read back under another container;
// - a NUL inside a block base made every song's folder "the text before the NUL", as for a
//   multi-selection, which kept the base's last "/".
TEST(MultiListRegression, FuzzedListsSurviveSaving) {
    using intake::SongEntry;
    const std::vector<std::tuple<const char*, std::size_t, SongEntry>> inputs = {
        {"mlt-songs-without-folder.mlt", 6, {"y.mid", "", ""}},  // after "x.mid", ""
        {"mlt-block-in-root-folder.mlt", 1, {}},
        {"mlt-doubled-separators.mlt", 6, {}},
        {"mlt-nul-in-base.mlt", 6, {}},
    };
    TempDir dir;
    for (const auto& [name, size, last] : inputs) {
        SCOPED_TRACE(name);
        const std::vector<SongEntry> fuzzed = readList(dir.write("in.mlt", regressionInput(name)));
        ASSERT_EQ(fuzzed.size(), size);
        if (!last.name.isEmpty()) {
            EXPECT_EQ(fuzzed.back(), last);
        }
        const QString saved = dir.file("saved.mlt");
        ASSERT_TRUE(intake::saveMultiList(saved, fuzzed).ok);
        EXPECT_EQ(readList(saved), fuzzed);
    }
    EXPECT_EQ(
        readList(dir.write("in.mlt", regressionInput("mlt-block-in-root-folder.mlt")))[0].container,
        QString());
    for (const SongEntry& e :
         readList(dir.write("in.mlt", regressionInput("mlt-doubled-separators.mlt")))) {
        EXPECT_EQ(e.container, QStringLiteral("/IDIL")) << e.name.toStdString();
    }
    EXPECT_EQ(readList(dir.write("in.mlt", regressionInput("mlt-nul-in-base.mlt")))[0],
              (SongEntry{"a.1MIDILIST]", "/homus", ""}));
}

TEST(MultiListRegression, RootBlocksDoubledSeparatorsAndNulsReadAsOneFolder) {
    using intake::SongEntry;
    TempDir dir;
    const std::vector<std::pair<QByteArray, std::vector<SongEntry>>> cases = {
        {"MultiListFile Copyright(C)Studio Tavorin\r\nAPP /\r\n  a.mid\r\n"
         "END APP\r\nAPP /music/\r\n  b.mid\r\n",
         {{"a.mid", "", ""}, {"b.mid", "/music", ""}}},
        {"[MIDILIST]\r\n/a//b///c.mid\r\nAPP /d\r\n  /e.mid\r\n  f//g.mid\r\n",
         {{"c.mid", "/a/b", ""}, {"e.mid", "/d", ""}, {"g.mid", "/d/f", ""}}},
        {QByteArray("[MIDILIST]\r\n/m/a.mid\0junk\r\n", 27), {{"a.mid", "/m", ""}}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(readList(dir.write("list.mlt", text)), expected) << text.toStdString();
    }
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
    const QStringList present = QDir(outcome.folder).entryList(QDir::Files);
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
