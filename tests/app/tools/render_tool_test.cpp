#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <algorithm>
#include <cmath>

#include "app/tools/render_tool.h"
#include "sequencer/smf_builder.h"
#include "support/temp_dir.h"

namespace vesk::app {
namespace {

const QString TestSoundFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");

using vesk::test::Track;

// Two tracks at 96 ticks per quarter: a conductor at 120 BPM that changes to 60 BPM after
// one beat, and a piano track holding a chord for two beats. Length: 0.5 s + 1 s = 1.5 s.
QByteArray twoTrackSong() {
    Track conductor;
    conductor.tempo(0, 500000).tempo(96, 1000000).end(96);
    Track piano;
    piano.at(0, {0xC0, 0}).at(0, {0x90, 60, 100}).at(0, {0x90, 64, 100});
    piano.at(192, {0x80, 60, 0}).at(0, {0x80, 64, 0}).end();
    return vesk::test::toQByteArray(vesk::test::smf(1, 96, {conductor, piano}));
}

struct Wav {
    int frames = 0;
    double rms = 0;
    int endPeak = 0;  // the largest sample of the last 50 ms
};

Wav readWav(const QString& path) {
    QByteArray bytes = test::readAll(path);
    Wav wav;
    if (bytes.size() < 44 || !bytes.startsWith("RIFF")) {
        return wav;
    }
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData() + 44);
    const qsizetype count = (bytes.size() - 44) / 2;
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    for (qsizetype i = std::max<qsizetype>(0, count - 2 * 2205); i < count; ++i) {
        wav.endPeak = std::max(wav.endPeak, std::abs(static_cast<int>(samples[i])));
    }
    wav.frames = static_cast<int>(count / 2);
    wav.rms = count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0;
    return wav;
}

QStringList entries(const test::TempDir& dir) {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(RenderTool, RendersOverAnEarlierRenderAndReportsBadInputButRendersTheRest) {
    if (!QFile::exists(TestSoundFont)) {
        GTEST_SKIP() << "no test SoundFont";
    }
    test::TempDir dir;
    const QString song = dir.write("song.mid", twoTrackSong());
    const QString wavPath = dir.write("out.wav", "RIFF....WAVE an earlier render");
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    ASSERT_EQ(runRenderTool({wavPath, song}, {TestSoundFont, 44100}, out, err), 0)
        << errText.toStdString();
    const Wav wav = readWav(wavPath);
    // The song's 1.5 s, then the notes and reverb ring out to below -90 dBFS (one step of
    // 16 bits), which takes more than a moment and less than the 10 s allowed.
    EXPECT_GT(wav.frames / 44100.0, 2.0);
    EXPECT_LT(wav.frames / 44100.0, 11.5);
    EXPECT_LE(wav.endPeak, 1);
    EXPECT_GT(wav.rms, 100.0) << "the rendered song is silent";
    EXPECT_EQ(entries(dir), QStringList({"out.wav", "song.mid"})) << "no temporary file left";
    // Not left private as its temporary file was.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(wavPath).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

    const QString junk = dir.write("junk.mid", "this is not a MIDI file");
    EXPECT_EQ(runRenderTool({dir.file("all.wav"), dir.file("missing.mid"), junk, song},
                            {TestSoundFont, 44100}, out, err),
              1);
    err.flush();
    EXPECT_TRUE(errText.contains("missing.mid")) << errText.toStdString();
    EXPECT_TRUE(errText.contains("junk.mid")) << errText.toStdString();
    EXPECT_EQ(readWav(dir.file("all.wav")).frames, wav.frames);

    errText.clear();
    EXPECT_NE(runRenderTool({dir.file("x.wav"), song}, {dir.write("bad.sf2", "RIFF junk"), 44100},
                            out, err),
              0);
    EXPECT_FALSE(errText.isEmpty());
    EXPECT_EQ(runRenderTool({dir.file("x.wav")}, {TestSoundFont, 44100}, out, err), 2);
}

// Division 1, tempo 0xFFFFFF and the largest delta times: a few bytes that last for
// more than a century.
QByteArray centuryLongSong() {
    Track t;
    t.tempo(0, 0xFFFFFF);
    for (int i = 0; i < 8; ++i) {
        t.at(0x0FFFFFFF, {0x90, 60, 100});
    }
    t.end(0x0FFFFFFF);
    return vesk::test::toQByteArray(vesk::test::smf(0, 1, {t}));
}

// Careless command lines and hostile songs: no song is touched, and nothing is left behind
// when nothing could be rendered. None of this needs the synthesizer.
TEST(RenderTool, RefusesBeforeWritingAndLeavesTheSongsAlone) {
    test::TempDir dir;
    const QByteArray songBytes = twoTrackSong();
    const QString song = dir.write("song.mid", songBytes);
    const QString junk = dir.write("junk.mid", "this is not a MIDI file");
    const QString oldWav = dir.write("old.wav", "RIFF....WAVE an earlier render");
    QString text;
    QTextStream out(&text);
    QTextStream err(&text);
    const RenderOptions options{TestSoundFont, 44100};

    // The arguments in the order "--convert" takes them.
    EXPECT_EQ(runRenderTool({song, dir.file("out.wav")}, options, out, err), 1);
    EXPECT_EQ(runRenderTool({song, song}, options, out, err), 1);
    // A link to a song is the song.
    ASSERT_TRUE(QFile::link(song, dir.file("link.wav")));
    EXPECT_EQ(runRenderTool({dir.file("link.wav"), song}, options, out, err), 1);
    EXPECT_EQ(test::readAll(song), songBytes);

    // Every song fails: the earlier WAV stays as it was, and no new file appears.
    EXPECT_EQ(runRenderTool({oldWav, junk, dir.file("missing.mid")}, options, out, err), 1);
    EXPECT_EQ(test::readAll(oldWav), QByteArray("RIFF....WAVE an earlier render"));
    EXPECT_EQ(runRenderTool({dir.file("new.wav"), junk}, options, out, err), 1);

    // Longer than the limit: refused at once, whatever the limit is set to.
    const QString century = dir.write("century.mid", centuryLongSong());
    EXPECT_EQ(runRenderTool({dir.file("new.wav"), century}, options, out, err), 1);
    EXPECT_EQ(
        runRenderTool({"--max-hours", "0.0001", dir.file("new.wav"), song}, options, out, err), 1);
    EXPECT_EQ(runRenderTool({"--max-hours", "many", dir.file("new.wav"), song}, options, out, err),
              2);
    EXPECT_EQ(entries(dir),
              QStringList({"century.mid", "junk.mid", "link.wav", "old.wav", "song.mid"}));
    err.flush();
    EXPECT_TRUE(text.contains("century.mid")) << text.toStdString();
}

}  // namespace
}  // namespace vesk::app
