#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <cmath>

#include "app/tools/render_tool.h"
#include "sequencer/smf_builder.h"
#include "support/temp_dir.h"

namespace vesk::app {
namespace {

using test::Track;

const QString TestSoundFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
constexpr int Rate = 44100;

// 100 ticks per quarter at 120 per minute: a tick is 5 ms, 200 ticks a second. Short
// piano notes: one in the intro, two in each second of the looped part.
void intro(Track& t) {
    t.at(0, {0xC0, 0}).at(0, {0x90, 60, 110}).at(30, {0x80, 60, 0});
}
void loopedPart(Track& t, std::uint32_t delta) {
    t.at(delta, {0x90, 72, 110}).at(30, {0x80, 72, 0});
    t.at(70, {0x90, 67, 110}).at(30, {0x80, 67, 0});
}

// The loop marked by markers, with an outro note standing right on the loop end.
QByteArray markedSong() {
    Track t;
    intro(t);
    t.meta(170, 0x06, "loopStart");
    loopedPart(t, 0);
    t.meta(70, 0x06, "loopEnd").at(0, {0x90, 48, 110}).at(30, {0x80, 48, 0}).end(170);
    return test::toQByteArray(test::smf(1, 100, {t}));
}

// The loop marked by controller 111, looping to the song's end, where a note is struck.
QByteArray controllerSong() {
    Track t;
    intro(t);
    t.at(170, {0xB0, 111, 0});
    loopedPart(t, 0);
    t.at(70, {0x90, 48, 110}).end();
    return test::toQByteArray(test::smf(1, 100, {t}));
}

// The same music written out: the intro and the looped part twice.
QByteArray writtenOut() {
    Track t;
    intro(t);
    loopedPart(t, 170);
    loopedPart(t, 70);
    t.end(70);
    return test::toQByteArray(test::smf(1, 100, {t}));
}

std::vector<float> readSamples(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    std::vector<float> mono;
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData() + 44);
    for (qsizetype i = 0; i + 1 < (bytes.size() - 44) / 2; i += 2) {
        mono.push_back(static_cast<float>(samples[i]) + static_cast<float>(samples[i + 1]));
    }
    return mono;
}

float peak(const std::vector<float>& s, double fromSeconds, double toSeconds) {
    const auto from = std::min(s.size(), static_cast<std::size_t>(fromSeconds * Rate));
    const auto to = std::min(s.size(), static_cast<std::size_t>(toSeconds * Rate));
    float p = 0;
    for (std::size_t i = from; i < to; ++i) {
        p = std::max(p, std::abs(s[i]));
    }
    return p;
}

class LoopRender : public ::testing::Test {
  protected:
    std::vector<float> render(const QByteArray& song, QStringList options,
                              QString* shown = nullptr) {
        const QString in = dir.write(QStringLiteral("song.mid"), song);
        const QString out = dir.file(QStringLiteral("out.wav"));
        QString outText;
        QString errText;
        QTextStream outStream(&outText);
        QTextStream errStream(&errText);
        EXPECT_EQ(runRenderTool(options << out << in, {TestSoundFont, Rate}, outStream, errStream),
                  0)
            << errText.toStdString();
        outStream.flush();
        if (shown != nullptr) {
            *shown = outText;
        }
        return readSamples(out);
    }
    void SetUp() override {
        if (!QFile::exists(TestSoundFont)) {
            GTEST_SKIP() << "no test SoundFont";
        }
    }
    test::TempDir dir;
};

TEST_F(LoopRender, LoopsAreSeamlessRepeatExactlyNTimesAndFadeToSilence) {
    const std::vector<float> reference = render(writtenOut(), {QStringLiteral("--loops"), "0"});
    ASSERT_GT(reference.size(), std::size_t{3 * Rate});
    // Up to the fade (intro 1 s + two passes of 1 s) the looped renders are the written-out
    // music to the sample: the jump adds no note, drops none and moves none. The last
    // synthesizer block before 3 s is left out: there the written-out song ends.
    const std::size_t same = 3 * Rate - 64;
    for (const QByteArray& song : {markedSong(), controllerSong()}) {
        QString shown;
        const std::vector<float> looped = render(song, {}, &shown);
        ASSERT_GT(looped.size(), std::size_t{8 * Rate});
        EXPECT_TRUE(shown.contains(QStringLiteral("\t8000 ms"))) << shown.toStdString();
        std::size_t firstDifference = same;
        for (std::size_t i = 0; i < same; ++i) {
            if (looped[i] != reference[i]) {
                firstDifference = i;
                break;
            }
        }
        EXPECT_EQ(firstDifference, same) << "at " << firstDifference / double(Rate) << " s";

        // Each half second holds one note; from 3 s they fall pass after pass, the third
        // pass (a loop played three times) would be as loud as the first.
        const float full = peak(looped, 2.0, 2.5);
        ASSERT_GT(full, 1000.f);
        float previous = full;
        for (double t = 3.5; t < 8.0; t += 0.5) {
            const float p = peak(looped, t, t + 0.5);
            EXPECT_LT(p, previous * 1.02f) << t << " s";
            previous = std::min(previous, p);
        }
        EXPECT_LT(peak(looped, 3.5, 4.0), 0.9f * full);
        EXPECT_LT(peak(looped, 7.5, 8.0), 0.05f * full);
        // No release tail comes back once the volume is restored after the fade.
        EXPECT_LT(peak(looped, 8.0, looped.size() / double(Rate)), 0.05f * full);
    }
}

TEST_F(LoopRender, TheLoopCountSetsThePlayedLength) {
    for (const auto& [loops, length] :
         {std::pair{"4", "\t10000 ms"}, std::pair{"0", "\t3000 ms"}}) {
        QString shown;
        render(markedSong(), {QStringLiteral("--loops"), loops}, &shown);
        EXPECT_TRUE(shown.contains(QString::fromLatin1(length))) << shown.toStdString();
    }

    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    EXPECT_EQ(runRenderTool({QStringLiteral("--loops"), "x", dir.file("o.wav"), dir.file("s.mid")},
                            {TestSoundFont, Rate}, out, err),
              2);
    err.flush();
    EXPECT_TRUE(errText.contains(QStringLiteral("--loops"))) << errText.toStdString();
}

}  // namespace
}  // namespace vesk::app
