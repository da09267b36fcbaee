// The real player, heard through a real sound server: a private PulseAudio daemon's null
// sink is recorded while veskmidi (offscreen) plays songs made here, and the recording is
// judged as a listener would: every click there, in order, the first where it belongs.
//
// Exact timing figures depend on the machine's load (on a busy 2-core runner the playback
// thread and the sound server wake late now and then); they are printed, and what is
// asserted holds under load: every click heard as one click, none lost or run together
// the way a song clock started before the output bunches the first ones.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QThread>
#include <cmath>
#include <cstdio>

#include "engine/engine.h"
#include "platform/console_interaction.h"
#include "platform/midi_out/system_midi_output.h"
#include "sequencer/sequencer_backend.h"
#include "sequencer/smf_builder.h"
#include "sound/in_process_player.h"
#include "support/onset_fit.h"
#include "support/pulse_server.h"
#include "support/temp_dir.h"

namespace vesk::sound {
namespace {

constexpr int kRate = test::PulseServer::kRate;
constexpr std::uint16_t kDivision = 480;
constexpr std::uint32_t kClickTicks = 288;  // 300 ms at 120 bpm

// `clicks` short wood-block hits every 300 ms, then a second of silence.
QByteArray clickSong(int clicks) {
    test::Track track;
    track.tempo(0, 500000);
    for (int i = 0; i < clicks; ++i) {
        track.at(i == 0 ? 0 : kClickTicks - 20, {0x99, 76, 127}).at(20, {0x89, 76, 0});
    }
    track.end(960);
    const test::ByteVector bytes = test::smf(0, kDivision, {track});
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

std::vector<double> clickTimes(int clicks) {
    std::vector<double> times;
    for (int i = 0; i < clicks; ++i) {
        times.push_back(0.3 * i);
    }
    return times;
}

class LiveSound : public ::testing::Test {
  protected:
    void SetUp() override {
        QString whyNot;
        server_ = test::PulseServer::start(whyNot);
        if (!server_) {
            GTEST_SKIP() << whyNot.toStdString();
        }
        // A copy of the program keeps its settings file beside it, in this test's folder.
        binary_ = work_.file(QStringLiteral("veskmidi"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VESK_BINARY), binary_));
        work_.write(QStringLiteral("vmidi.ini"),
                    "[VESK MIDI INIT FILE]\r\n[SOFT "
                    "SYNTH]\r\nSOUNDFONT=/usr/share/sounds/sf2/TimGM6mb.sf2\r\n");
    }

    // Plays `songs` from the command line and returns the recording of the whole run.
    std::vector<float> play(const QStringList& songs, int seconds) {
        EXPECT_TRUE(server_->startRecording());
        QProcess player;
        QProcessEnvironment env = server_->environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        player.setProcessEnvironment(env);
        player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        player.start(binary_, songs);
        EXPECT_TRUE(player.waitForStarted(5000));
        player.waitForFinished(seconds * 1000);
        player.terminate();
        if (!player.waitForFinished(5000)) {
            player.kill();
            player.waitForFinished(5000);
        }
        return server_->stopRecording();
    }

    QString song(const QString& name, const QByteArray& bytes) { return work_.write(name, bytes); }

    test::TempDir work_;
    std::unique_ptr<test::PulseServer> server_;
    QString binary_;
};

std::vector<std::int64_t> clickOnsets(const std::vector<float>& recording) {
    return test::findOnsets(recording, 0.02f, kRate / 20);
}

void report(const char* what, const test::OnsetFit& fit) {
    std::printf(
        "%s: %zu clicks, missing %zu, extra %zu, first %+.2f ms, p99 %.2f ms, "
        "max %.2f ms, period %+.0f ppm\n",
        what, fit.expected, fit.missing, fit.extra, fit.firstErrorMs, fit.p99ErrorMs,
        fit.maxErrorMs, fit.periodPpm);
}

TEST_F(LiveSound, FirstSongLosesNothingAndStartsOnTheBeat) {
    constexpr int kClicks = 24;
    const auto recording = play({song("click.mid", clickSong(kClicks))}, 11);
    const auto onsets = clickOnsets(recording);
    report("first song", test::fitOnsets(onsets, clickTimes(kClicks), kRate));
    EXPECT_EQ(onsets.size(), static_cast<std::size_t>(kClicks));
}

TEST_F(LiveSound, NextSongStartsWithItsFirstClick) {
    constexpr int kClicks = 6;
    const auto recording =
        play({song("a.mid", clickSong(kClicks)), song("b.mid", clickSong(kClicks))}, 9);
    const auto runs = test::splitRuns(clickOnsets(recording), kRate);
    ASSERT_EQ(runs.size(), 2u) << "the two songs should be heard apart, one after the other";
    for (const auto& run : runs) {
        report("song of a list", test::fitOnsets(run, clickTimes(kClicks), kRate));
        EXPECT_EQ(run.size(), static_cast<std::size_t>(kClicks));
    }
}

// A hi-hat is noise; a piano key 42 is a low tone. Sign changes per second tell them apart.
double zeroCrossingsPerSecond(const std::vector<float>& recording, std::int64_t from,
                              std::int64_t frames) {
    int changes = 0;
    for (std::int64_t i = from + 1; i < from + frames && i < std::ssize(recording); ++i) {
        if ((recording[static_cast<std::size_t>(i)] >= 0) !=
            (recording[static_cast<std::size_t>(i - 1)] >= 0)) {
            ++changes;
        }
    }
    return changes * static_cast<double>(kRate) / static_cast<double>(frames);
}

TEST_F(LiveSound, SongSysExMakesAPartADrumPart) {
    // GS reset, then part 2 as a rhythm part; key 42 on channel 2 is a closed hi-hat there.
    auto noteSong = [](bool drums) {
        test::Track track;
        track.tempo(0, 500000);
        track.at(0, {0xF0, 10, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
        if (drums) {
            track.at(0, {0xF0, 10, 0x41, 0x10, 0x42, 0x12, 0x40, 0x12, 0x15, 0x01, 0x18, 0xF7});
        }
        track.at(480, {0x91, 42, 127}).at(240, {0x81, 42, 0}).end(480);
        const test::ByteVector bytes = test::smf(0, kDivision, {track});
        return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    };
    const auto drums = play({song("drums.mid", noteSong(true))}, 5);
    const auto piano = play({song("piano.mid", noteSong(false))}, 5);
    const auto drumOnsets = clickOnsets(drums);
    const auto pianoOnsets = clickOnsets(piano);
    ASSERT_EQ(drumOnsets.size(), 1u);
    ASSERT_EQ(pianoOnsets.size(), 1u);
    const double drumRate = zeroCrossingsPerSecond(drums, drumOnsets[0], kRate / 20);
    const double pianoRate = zeroCrossingsPerSecond(piano, pianoOnsets[0], kRate / 20);
    std::printf("zero crossings per second: drum part %.0f, melodic part %.0f\n", drumRate,
                pianoRate);
    EXPECT_GT(drumRate, 8000.0);
    EXPECT_LT(pianoRate, 4000.0);
}

// Pause, resume and a seek, driven through the engine as the window drives it, on the
// real synthesizer and sound output: the organ note held through the song must fall
// silent while paused, and no click may be lost to the pause or pile up after it.
TEST_F(LiveSound, PauseResumeAndSeekLeaveNoHangingNoteOrBurst) {
    constexpr int kClicks = 16;
    test::Track track;
    track.tempo(0, 500000);
    // The organ stays below the clicks' onset threshold and well above silence.
    track.at(0, {0xC0, 19}).at(0, {0x90, 60, 12});
    for (int i = 0; i < kClicks; ++i) {
        track.at(i == 0 ? 0 : kClickTicks - 20, {0x99, 76, 127}).at(20, {0x89, 76, 0});
    }
    track.at(0, {0x80, 60, 0}).end(480);
    const test::ByteVector bytes = test::smf(0, kDivision, {track});
    const QString path =
        song(QStringLiteral("pause.mid"), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<qsizetype>(bytes.size())));

    test::InProcessPlayer player(*server_);
    engine::Engine& engine = player.engine;
    const QString& said = player.said;

    ASSERT_TRUE(server_->startRecording());
    engine.setFileName(path);
    engine.midiPlay();
    ASSERT_EQ(engine.lastResult(), 0) << said.toStdString();
    QThread::msleep(1050);  // clicks at 0, 0.3, 0.6, 0.9 s; the next at 1.2 s
    engine.midiPause();
    QThread::msleep(1000);
    engine.midiPlay();  // resumes: 1.2, 1.5 ... 2.7 s
    // To about 2.85 s: the click at 2.7 s is well past, the one at 3.0 s well ahead, so a
    // late wake-up of this thread changes nothing.
    QThread::msleep(1800);
    engine.setNowPos(3450);  // skips 3.0 and 3.3 s; 3.6 ... 4.5 s remain
    QThread::msleep(2000);
    engine.midiClose();
    const auto recording = server_->stopRecording();

    // While paused (from half a second after the last click until the resume) nothing
    // sounds.
    const auto onsets = clickOnsets(recording);
    ASSERT_FALSE(onsets.empty());
    const auto runs = test::splitRuns(onsets, kRate / 2);
    ASSERT_GE(runs.size(), 2u) << "the pause should be heard as a gap";
    const std::int64_t pausedFrom = runs[0].back() + kRate / 2;
    const std::int64_t pausedTo = runs[1].front() - kRate / 10;
    auto loudestIn = [&](std::int64_t from, std::int64_t to) {
        float loudest = 0;
        for (std::int64_t i = std::max<std::int64_t>(from, 0); i < to && i < std::ssize(recording);
             ++i) {
            loudest = std::max(loudest, std::abs(recording[static_cast<std::size_t>(i)]));
        }
        return loudest;
    };
    // Between the first clicks the organ is heard.
    const float organ = loudestIn(runs[0][1] - kRate / 10, runs[0][1] - kRate / 50);
    const float loudest = loudestIn(pausedFrom, pausedTo);
    std::printf("pause: %zu clicks before, %zu after; organ %.5f, loudest while paused %.5f\n",
                runs[0].size(), onsets.size() - runs[0].size(), organ, loudest);
    EXPECT_GT(organ, 0.002f);
    EXPECT_LT(loudest, 0.0015f) << "a note hangs through the pause";
    EXPECT_EQ(runs[0].size(), 4u);
    // Six clicks after the resume and four after the seek, each heard once.
    EXPECT_EQ(onsets.size() - runs[0].size(), 10u);
}

}  // namespace
}  // namespace vesk::sound
