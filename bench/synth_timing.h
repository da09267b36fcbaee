#pragma once
// Measuring where notes land in rendered audio against their ideal times: the built-in
// synthesizer beside FluidSynth's own file player, at several render periods. The probe is
// a song of short, well separated hi-hat hits under changing tempo, so every hit shows as
// one clear onset.

#include <QByteArray>
#include <QString>
#include <vector>

#include "platform/clock.h"
#include "platform/midi_out/synth_core.h"

namespace vesk::platform::midiout {

struct TimedMessage {
    std::vector<std::uint8_t> bytes;
    Nanos due;
};

struct TimingProbe {
    QByteArray smf;                      // format 0 Standard MIDI File
    std::vector<TimedMessage> messages;  // the song's channel messages at their ideal times
    std::vector<Nanos> noteOns;          // ideal time of every hit, in order
    Nanos length{0};
};

TimingProbe makeTimingProbe(int hits = 200);

// Frames where sound starts after at least `quietFrames` below `threshold`.
std::vector<std::int64_t> detectOnsets(const std::vector<float>& interleaved, float threshold,
                                       std::int64_t quietFrames);

struct TimingSummary {
    std::size_t matched = 0;
    std::size_t missing = 0;  // hits with no onset within 50 ms
    double p50Frames = 0;     // of the absolute error
    double p99Frames = 0;
    double maxFrames = 0;
};

// Pairs each ideal time with the nearest onset; `attackFrames` is the synthesizer's own
// delay from a note's start to its onset being detected.
TimingSummary compareOnsets(const std::vector<std::int64_t>& onsets,
                            const std::vector<Nanos>& ideal, int sampleRate,
                            std::int64_t attackFrames);

// Renders the probe's messages through the built-in synthesizer at their ideal deadlines.
std::vector<float> renderProbe(const SynthConfig& config, const TimingProbe& probe, int period);
// Renders the probe's file through FluidSynth's own player, default settings.
std::vector<float> renderProbeWithFluidPlayer(const SynthConfig& config, const TimingProbe& probe,
                                              int period);
// The delay from a hit at a block boundary to its detected onset.
std::int64_t measureAttackFrames(const SynthConfig& config);

struct TimingRow {
    int period = 0;
    TimingSummary builtIn;
    TimingSummary fluidPlayer;
};

// Both renderers at each period. Empty when the SoundFont does not load.
std::vector<TimingRow> runSynthTimingBenchmark(const SynthConfig& config,
                                               const std::vector<int>& periods,
                                               const TimingProbe& probe);
QString formatTimingReport(const std::vector<TimingRow>& rows, int sampleRate);

}  // namespace vesk::platform::midiout
