// The sample songs, the work-folder conversion the player uses, and the command line tool.
#include "intake/rcp/convert_rcp.h"

#include "engine/smf_info.h"
#include "intake/rcp/rcp_test_support.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vesk::test::rcp {
namespace {

using intake::convertRcp;
using intake::runConvertTool;

QString sample(const char* name) {
    return QStringLiteral(VESK_TEST_DATA "/rcp-samples/") + QString::fromLatin1(name);
}

struct SampleSong {
    const char* file;
    const char* title;
    size_t tracks;  // including the conductor
    size_t notes;
    quint32 length;  // ticks
};

TEST(RcpSamples, ConvertIntoPlausibleSongs) {
    const SampleSong samples[] = {
        {"sted-cli_test.rcp", "Test song", 2, 16, 576},
        {"src_test_36tracks.rcp", "TEST SONG", 2, 8, 384},
        {"recomposer-file_test.g36", "Test song", 2, 8, 384},
    };
    for (const SampleSong& s : samples) {
        SCOPED_TRACE(s.file);
        const QByteArray bytes = readAll(sample(s.file));
        ASSERT_FALSE(bytes.isEmpty());
        const intake::RcpResult result = intake::convertRcpToSmf(bytes);
        ASSERT_TRUE(result.ok()) << result.message.toStdString();
        const smf::File file = smf::parse(result.smf);
        ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
        EXPECT_EQ(file.format, 1);
        EXPECT_EQ(file.division, 48);
        ASSERT_EQ(file.tracks.size(), s.tracks);
        const std::vector<smf::Note> notes = smf::notes(file.tracks[1]);
        EXPECT_EQ(notes.size(), s.notes);
        for (const smf::Note& n : notes) {
            EXPECT_GT(n.length, 0u);
            EXPECT_LE(n.start + n.length, s.length);
        }
        EXPECT_EQ(endTick(file.tracks[0]), s.length);
        // The player's own header reading finds the title.
        const engine::SmfInfo info = engine::scanSmfBlock(result.smf, "song.mid");
        EXPECT_EQ(info.errorCode, engine::kSmfOk);
        EXPECT_EQ(info.title, QString::fromLatin1(s.title));
        EXPECT_EQ(info.tracks, static_cast<qint16>(s.tracks));
    }
}

TEST(RcpSamples, MemoLinesOfTheG36Sample) {
    const smf::File file = convertOk(readAll(sample("recomposer-file_test.g36")));
    ASSERT_FALSE(file.tracks.empty());
    const std::vector<QByteArray> memo = smf::metas(file.tracks[0], 0x01);
    // 12 lines of 30 bytes; the text runs across lines, split mid-word, as stored.
    ASSERT_EQ(memo.size(), 5u);
    EXPECT_EQ(memo[0], "This is a song file for testin");
    EXPECT_EQ(memo[1], "g recomposer-file.");
    EXPECT_EQ(memo[2], QByteArray(26, ' ') + "\x82\xb1\x82\xea") << "leading spaces stay";
    EXPECT_TRUE(memo[3].startsWith("\x82\xcd recompser-file \x82\xcc\x83\x65"));
}

TEST(ConvertRcpFile, WritesTheSongIntoTheWorkFolder) {
    TempDir songs;
    TempDir work;
    const QString workFolder = work.path() + "/";
    const QString source = songs.write("Song.G36", readAll(sample("recomposer-file_test.g36")));

    EXPECT_EQ(convertRcp(source, workFolder), "Song.mid") << "lower-case extension";
    const QByteArray first = readAll(workFolder + "Song.mid");
    EXPECT_TRUE(smf::parse(first).error.isEmpty());
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList{"Song.mid"})
        << "no temporary file left behind";

    // A second song of the same name replaces the first.
    const QString other = songs.write("sub/Song.rcp", readAll(sample("sted-cli_test.rcp")));
    EXPECT_EQ(convertRcp(other, workFolder), "Song.mid");
    const QByteArray second = readAll(workFolder + "Song.mid");
    EXPECT_NE(second, first);
    EXPECT_EQ(smf::notes(smf::parse(second).tracks[1]).size(), 16u);

    // A source inside the work folder still converts there.
    const QString inside = work.write("x.r36", readAll(sample("src_test_36tracks.rcp")));
    EXPECT_EQ(convertRcp(inside, workFolder), "x.mid");
    EXPECT_TRUE(QFileInfo::exists(workFolder + "x.mid"));
}

TEST(ConvertRcpFile, FailureGivesAnEmptyNameAndNoFile) {
    TempDir songs;
    TempDir work;
    const QString workFolder = work.path() + "/";
    EXPECT_EQ(convertRcp(songs.file("missing.rcp"), workFolder), "");
    const QString broken = songs.write("broken.rcp", "RCM-PC98V2.0(C)COME ON MUSIC\r\n");
    EXPECT_EQ(convertRcp(broken, workFolder), "");
    // An earlier good conversion of the same name stays as it was.
    const QByteArray good = readAll(sample("sted-cli_test.rcp"));
    EXPECT_EQ(convertRcp(songs.write("song.rcp", good), workFolder), "song.mid");
    const QByteArray before = readAll(workFolder + "song.mid");
    EXPECT_EQ(convertRcp(songs.write("song.rcp", "garbage"), workFolder), "");
    EXPECT_EQ(readAll(workFolder + "song.mid"), before);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList{"song.mid"});
    EXPECT_EQ(convertRcp(songs.write("a.rcp", good), work.file("no-such-folder") + "/"), "");
}

struct ToolRun {
    int code = 0;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& args) {
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.code = runConvertTool(args, out, err);
    return run;
}

TEST(ConvertTool, ConvertsAndOverwritesTheNamedOutput) {
    TempDir dir;
    const QString in = dir.write("in.rcp", readAll(sample("sted-cli_test.rcp")));
    const QString out = dir.write("out.mid", "old contents");
    const ToolRun run = runTool({"--convert", in, out});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    EXPECT_TRUE(run.out.contains("out.mid"));
    EXPECT_TRUE(smf::parse(readAll(out)).error.isEmpty());
    EXPECT_EQ(runTool({in, dir.file("again.mid")}).code, 0) << "--convert may be left out";
}

TEST(ConvertTool, ReportsEveryFailure) {
    TempDir dir;
    const QString good = dir.write("good.rcp", readAll(sample("sted-cli_test.rcp")));
    const QString bad =
        dir.write("bad.rcp", QByteArray("RCM-PC98V2.0(C)COME ON MUSIC\r\n\0\0", 32));

    ToolRun run = runTool({"--convert", good});
    EXPECT_EQ(run.code, 2);
    EXPECT_TRUE(run.err.contains("usage"));

    run = runTool({dir.file("missing.rcp"), dir.file("out.mid")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("cannot read")) << run.err.toStdString();

    run = runTool({bad, dir.file("out.mid")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("cannot convert")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("header")) << "says what is wrong: " << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file("out.mid")));

    run = runTool({good, dir.path() + "/./good.rcp"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("refusing")) << run.err.toStdString();
    EXPECT_EQ(readAll(good), readAll(sample("sted-cli_test.rcp")));

    run = runTool({good, dir.file("no-such-folder/out.mid")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("cannot write")) << run.err.toStdString();
}

}  // namespace
}  // namespace vesk::test::rcp
