// The built-in synthesizer heard live, end to end: the real player and FluidSynth's
// command-line player each play the same click track into one private PulseAudio null
// sink, in the same run, and the recordings are compared with the song. Run by hand; never
// a test.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>

#include "platform/midi_out/soundfont.h"
#include "sequencer/smf_builder.h"
#include "support/onset_fit.h"
#include "support/pulse_server.h"

namespace {

using vesk::test::OnsetFit;
using vesk::test::PulseServer;

constexpr int kClicks = 100;  // 30 s at one click every 300 ms

QByteArray clickTrack() {
    vesk::test::Track track;
    track.tempo(0, 500000);
    for (int i = 0; i < kClicks; ++i) {
        track.at(i == 0 ? 0 : 268, {0x99, 76, 127}).at(20, {0x89, 76, 0});
    }
    track.end(960);
    const auto bytes = vesk::test::smf(0, 480, {track});
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// Runs `program` into the sink for `seconds` (or until it ends) and fits the recording.
OnsetFit listen(PulseServer& server, const QString& program, const QStringList& args, int seconds) {
    server.startRecording();
    QProcess player;
    QProcessEnvironment env = server.environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    player.setProcessEnvironment(env);
    player.setStandardOutputFile(QProcess::nullDevice());
    player.setStandardErrorFile(QProcess::nullDevice());
    player.start(program, args);
    player.waitForFinished(seconds * 1000);
    player.terminate();
    if (!player.waitForFinished(5000)) {
        player.kill();
        player.waitForFinished(5000);
    }
    std::vector<double> clicks;
    for (int i = 0; i < kClicks; ++i) {
        clicks.push_back(0.3 * i);
    }
    const auto onsets =
        vesk::test::findOnsets(server.stopRecording(), 0.02f, PulseServer::kRate / 20);
    return vesk::test::fitOnsets(onsets, clicks, PulseServer::kRate);
}

QString figure(double ours, double peer) {
    return QStringLiteral("ours=%1 peer=%2 ratio=%3")
        .arg(ours, 0, 'f', 3)
        .arg(peer, 0, 'f', 3)
        .arg(peer != 0 ? ours / peer : 0.0, 0, 'f', 3);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QString whyNot;
    auto server = PulseServer::start(whyNot);
    if (!server) {
        out << "live_bench: skipped, " << whyNot << "\n";
        return 0;
    }
    const QString peer = QStandardPaths::findExecutable(QStringLiteral("fluidsynth"));
    // The small SoundFont loads in a moment, so neither player's start waits on a disk.
    const QString small = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
    const QString soundFont =
        vesk::platform::midiout::resolveSoundFont(QFile::exists(small) ? small : QString());
    if (peer.isEmpty() || soundFont.isEmpty()) {
        out << "live_bench: skipped, FluidSynth's command-line player or a SoundFont is missing\n";
        return 0;
    }
    QTemporaryDir dir;
    // A copy of the player keeps its settings beside it, away from the user's.
    const QString binary = dir.filePath(QStringLiteral("veskmidi"));
    QFile::copy(QStringLiteral(VESK_BINARY), binary);
    QFile ini(dir.filePath(QStringLiteral("vmidi.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[VESK MIDI INIT FILE]\r\n[SOFT SYNTH]\r\nSOUNDFONT=" + soundFont.toUtf8() + "\r\n");
    ini.close();
    QFile song(dir.filePath(QStringLiteral("click.mid")));
    song.open(QIODevice::WriteOnly);
    song.write(clickTrack());
    song.close();

    const int seconds = static_cast<int>(0.3 * kClicks) + 8;
    const OnsetFit ours = listen(*server, binary, {song.fileName()}, seconds);
    const OnsetFit theirs =
        listen(*server, peer,
               {QStringLiteral("-ni"), QStringLiteral("-a"), QStringLiteral("pulseaudio"),
                QStringLiteral("-g"), QStringLiteral("0.4"), soundFont, song.fileName()},
               seconds);
    out << QStringLiteral("live clicks heard: ours=%1 peer=%2 of %3\n")
               .arg(ours.expected - ours.missing)
               .arg(theirs.expected - theirs.missing)
               .arg(kClicks);
    out << "live_onset_p99_ms: " << figure(ours.p99ErrorMs, theirs.p99ErrorMs) << "\n";
    out << "live_first_event_ms: "
        << figure(std::abs(ours.firstErrorMs), std::abs(theirs.firstErrorMs)) << "\n";
    out << "live_period_ppm: " << figure(std::abs(ours.periodPpm), std::abs(theirs.periodPpm))
        << "\n";
    return 0;
}
