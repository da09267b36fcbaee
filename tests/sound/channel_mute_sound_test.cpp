// Mute and solo heard on the real synthesizer through a private PulseAudio daemon, driven
// through the engine as the channel window drives it: a muted note is let go, not left
// sounding, and a solo holds the other channels back.
#include <gtest/gtest.h>

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

TEST(ChannelMuteSound, AMutedNoteStopsAndASoloHoldsBackTheOtherChannels) {
    QString whyNot;
    const auto server = test::PulseServer::start(whyNot);
    if (!server) {
        GTEST_SKIP() << whyNot.toStdString();
    }
    // An organ held on channel 1 for the whole song, alone for the first second; from then
    // on a click on the drums every 300 ms.
    constexpr int kClicks = 12;
    test::Track track;
    track.tempo(0, 500000);
    track.at(0, {0xC0, 19}).at(0, {0x90, 60, 12});
    for (int i = 0; i < kClicks; ++i) {
        track.at(i == 0 ? 960 : 268, {0x99, 76, 127}).at(20, {0x89, 76, 0});
    }
    track.at(0, {0x80, 60, 0}).end(480);
    test::TempDir work;
    const QString path =
        work.write(QStringLiteral("organ.mid"), test::toQByteArray(test::smf(0, 480, {track})));

    test::InProcessPlayer player(*server);
    engine::Engine& engine = player.engine;
    const QString& said = player.said;

    ASSERT_TRUE(server->startRecording());
    engine.setFileName(path);
    engine.midiPlay();
    ASSERT_EQ(engine.lastResult(), 0) << said.toStdString();
    QThread::msleep(1450);  // the organ, then clicks at 1.0 and 1.3 s
    engine.setChannelFilter(1, 0);
    QThread::msleep(900);  // clicks at 1.6, 1.9 and 2.2 s
    // The organ soloed but still muted: nothing at all may sound.
    engine.setChannelFilter(1, 1);
    QThread::msleep(1500);
    engine.midiClose();
    const auto recording = server->stopRecording();

    const auto onsets = test::findOnsets(recording, 0.02f, kRate / 20);
    ASSERT_FALSE(onsets.empty());
    auto loudestIn = [&](std::int64_t from, std::int64_t to) {
        float loudest = 0;
        for (std::int64_t i = std::max<std::int64_t>(from, 0); i < to && i < std::ssize(recording);
             ++i) {
            loudest = std::max(loudest, std::abs(recording[static_cast<std::size_t>(i)]));
        }
        return loudest;
    };
    // Measured from the first click (1.0 s of song time): the organ alone before it, and
    // from 0.6 s after the last click heard, when its tail has died away.
    const std::int64_t firstClick = onsets.front();
    const float organ = loudestIn(firstClick - kRate / 2, firstClick - kRate / 10);
    const float after = loudestIn(onsets.back() + kRate * 6 / 10, onsets.back() + kRate);
    std::printf("mute: %zu clicks, organ %.5f, after mute and solo %.5f\n", onsets.size(), organ,
                after);
    EXPECT_GT(organ, 0.001f);
    EXPECT_LT(after, organ / 4) << "the muted organ still sounds";
    EXPECT_EQ(onsets.size(), 5u) << "two clicks before the mute, three after, none once soloed";
}

}  // namespace
}  // namespace vesk::sound
