// --render plays a two-port song's port B on channels of its own.
#include <gtest/gtest.h>

#include <QTextStream>
#include <algorithm>
#include <cstdlib>

#include "app/tools/render_tool.h"
#include "sequencer/smf_builder.h"
#include "support/temp_dir.h"

namespace vesk::app {
namespace {

const QString kSoundFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");

// Port A holds an organ note for two seconds (96 ticks a half second); a second track plays
// the same channel and key for a quarter second, on port B when `portB`, else on port A.
QByteArray song(bool portB) {
    test::Track held;
    held.meta(0, 0x21, QByteArray(1, 0)).at(0, {0xC0, 19}).at(0, {0x90, 60, 100});
    held.at(384, {0x80, 60, 0}).end();
    test::Track brief;
    brief.meta(0, 0x21, QByteArray(1, portB ? 1 : 0)).at(48, {0x90, 60, 100});
    brief.at(48, {0x80, 60, 0}).end();
    return test::toQByteArray(test::smf(1, 96, {held, brief}));
}

// The largest sample between 1.0 and 1.5 s of a 44.1 kHz 16-bit stereo WAV.
int peakAfterTheBriefNote(const QString& path) {
    const QByteArray bytes = test::readAll(path);
    if (bytes.size() < 44) {
        return -1;
    }
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData() + 44);
    const qsizetype count = (bytes.size() - 44) / 2;
    int peak = 0;
    for (qsizetype i = 2 * 44100; i < std::min<qsizetype>(count, 3 * 44100); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    return peak;
}

TEST(RenderTwoPorts, PortBNoteOffLeavesPortANoteSounding) {
    if (!QFile::exists(kSoundFont)) {
        GTEST_SKIP() << "no test SoundFont";
    }
    test::TempDir dir;
    int peaks[2] = {};
    for (const bool portB : {false, true}) {
        const QString midi = dir.write(portB ? "two.mid" : "one.mid", song(portB));
        const QString wav = dir.file(portB ? "two.wav" : "one.wav");
        QString said;
        QTextStream out(&said);
        QTextStream err(&said);
        ASSERT_EQ(runRenderTool({wav, midi}, {kSoundFont, 44100}, out, err), 0)
            << said.toStdString();
        peaks[portB ? 1 : 0] = peakAfterTheBriefNote(wav);
    }
    EXPECT_GT(peaks[1], 300) << "the held note is heard";
    // On one port the brief note's note-off ends the held note as well.
    EXPECT_LT(peaks[0], peaks[1] / 10);
}

}  // namespace
}  // namespace vesk::app
