// Where each event lands in the built-in synthesizer's audio against its ideal time, at
// several audio periods, beside FluidSynth's own file player. Run by hand; never a test.
#include <QCoreApplication>
#include <QTextStream>

#include "bench/synth_timing.h"
#include "platform/midi_out/soundfont.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace vesk::platform::midiout;
    QTextStream out(stdout);
    const QString soundFont = resolveSoundFont({});
    if (soundFont.isEmpty()) {
        out << "synth_bench: no General MIDI SoundFont\n";
        return 1;
    }
    SynthConfig config;
    config.soundFont = soundFont;
    const auto rows = runSynthTimingBenchmark(config, {64, 512, 4096}, makeTimingProbe());
    if (rows.empty()) {
        out << "synth_bench: the SoundFont does not load\n";
        return 1;
    }
    out << formatTimingReport(rows, config.sampleRate);
    const double msPerFrame = 1000.0 / config.sampleRate;
    for (const TimingRow& row : rows) {
        const double ours = row.builtIn.p99Frames * msPerFrame;
        const double peer = row.fluidPlayer.p99Frames * msPerFrame;
        out << QStringLiteral("synth_event_p99_ms_period%1: ours=%2 peer=%3 ratio=%4\n")
                   .arg(row.period)
                   .arg(ours, 0, 'f', 3)
                   .arg(peer, 0, 'f', 3)
                   .arg(peer > 0 ? ours / peer : 0.0, 0, 'f', 3);
    }
    return 0;
}
