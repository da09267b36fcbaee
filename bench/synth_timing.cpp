#include "bench/synth_timing.h"

#include <QFile>
#include <algorithm>
#include <cmath>

#include "platform/midi_out/frame_time.h"
#include "platform/midi_out/offline_synth.h"

namespace vesk::platform::midiout {

namespace {

constexpr int kDivision = 480;
constexpr std::uint8_t kHiHat = 42;
constexpr float kThreshold = 1e-3f;
constexpr std::int64_t kQuietFrames = 2048;

void putVarLen(QByteArray& out, std::uint32_t value) {
    std::uint8_t bytes[5];
    int n = 0;
    do {
        bytes[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n-- > 0) {
        out.append(static_cast<char>(bytes[n] | (n > 0 ? 0x80 : 0)));
    }
}

void putBig(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

SynthConfig withoutEffects(SynthConfig config) {
    config.effects = false;
    return config;
}

}  // namespace

TimingProbe makeTimingProbe(int hits) {
    struct Event {
        std::uint32_t tick;
        std::vector<std::uint8_t> bytes;  // a tempo change when empty
        std::uint32_t tempo = 0;
    };
    std::vector<Event> events;
    // Tempo changes every eight hits, through slow and fast values with odd periods.
    const std::uint32_t tempos[] = {500000, 618556, 419580, 333333, 731707, 454545};
    std::uint32_t tick = kDivision;
    for (int i = 0; i < hits; ++i) {
        if (i % 8 == 0) {
            events.push_back({tick, {}, tempos[(i / 8) % 6]});
        }
        // Uneven positions, so hits fall anywhere within FluidSynth's blocks.
        std::uint32_t at = tick + static_cast<std::uint32_t>((i * 37) % 23);
        events.push_back({at, {0x99, kHiHat, 120}});
        events.push_back({at + 20, {0x89, kHiHat, 0}});
        tick += kDivision;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });

    TimingProbe probe;
    QByteArray track;
    std::uint32_t lastTick = 0;
    std::uint32_t tempo = 500000;
    double seconds = 0;
    for (const Event& e : events) {
        seconds += static_cast<double>(e.tick - lastTick) * tempo / 1e6 / kDivision;
        putVarLen(track, e.tick - lastTick);
        lastTick = e.tick;
        Nanos time{std::llround(seconds * 1e9)};
        if (e.bytes.empty()) {
            tempo = e.tempo;
            track.append("\xFF\x51\x03", 3);
            putBig(track, tempo, 3);
            continue;
        }
        track.append(reinterpret_cast<const char*>(e.bytes.data()),
                     static_cast<qsizetype>(e.bytes.size()));
        probe.messages.push_back({e.bytes, time});
        if ((e.bytes[0] & 0xF0) == 0x90) {
            probe.noteOns.push_back(time);
        }
        probe.length = time;
    }
    putVarLen(track, 0);
    track.append("\xFF\x2F\x00", 3);
    probe.smf.append("MThd", 4);
    putBig(probe.smf, 6, 4);
    putBig(probe.smf, 0, 2);
    putBig(probe.smf, 1, 2);
    putBig(probe.smf, kDivision, 2);
    probe.smf.append("MTrk", 4);
    putBig(probe.smf, static_cast<std::uint32_t>(track.size()), 4);
    probe.smf.append(track);
    return probe;
}

std::vector<std::int64_t> detectOnsets(const std::vector<float>& interleaved, float threshold,
                                       std::int64_t quietFrames) {
    std::vector<std::int64_t> onsets;
    std::int64_t lastLoud = -quietFrames - 1;
    std::int64_t frames = static_cast<std::int64_t>(interleaved.size() / 2);
    for (std::int64_t f = 0; f < frames; ++f) {
        float level = std::max(std::abs(interleaved[static_cast<std::size_t>(2 * f)]),
                               std::abs(interleaved[static_cast<std::size_t>(2 * f + 1)]));
        if (level > threshold) {
            if (f - lastLoud > quietFrames) {
                onsets.push_back(f);
            }
            lastLoud = f;
        }
    }
    return onsets;
}

TimingSummary compareOnsets(const std::vector<std::int64_t>& onsets,
                            const std::vector<Nanos>& ideal, int sampleRate,
                            std::int64_t attackFrames) {
    TimingSummary summary;
    std::vector<double> errors;
    const std::int64_t window = framesFromNanos(std::chrono::milliseconds(50), sampleRate);
    for (Nanos t : ideal) {
        std::int64_t target = framesFromNanos(t, sampleRate) + attackFrames;
        auto it = std::lower_bound(onsets.begin(), onsets.end(), target);
        std::int64_t best = window + 1;
        if (it != onsets.end()) {
            best = *it - target;
        }
        if (it != onsets.begin() && std::abs(*(it - 1) - target) < std::abs(best)) {
            best = *(it - 1) - target;
        }
        if (std::abs(best) > window) {
            ++summary.missing;
            continue;
        }
        errors.push_back(static_cast<double>(std::abs(best)));
    }
    summary.matched = errors.size();
    if (errors.empty()) {
        return summary;
    }
    std::sort(errors.begin(), errors.end());
    auto at = [&](double q) {
        auto index =
            static_cast<std::size_t>(std::ceil(q * static_cast<double>(errors.size()))) - 1;
        return errors[std::min(index, errors.size() - 1)];
    };
    summary.p50Frames = at(0.5);
    summary.p99Frames = at(0.99);
    summary.maxFrames = errors.back();
    return summary;
}

std::vector<float> renderProbe(const SynthConfig& config, const TimingProbe& probe, int period) {
    QString error;
    auto synth = OfflineSynth::create(withoutEffects(config), error);
    std::vector<float> out;
    if (!synth) {
        return out;
    }
    synth->setPeriod(period);
    for (const TimedMessage& m : probe.messages) {
        synth->send(m.bytes, m.due);
    }
    synth->renderUntil(probe.length + std::chrono::seconds(1), out);
    return out;
}

std::vector<float> renderProbeWithFluidPlayer(const SynthConfig& config, const TimingProbe& probe,
                                              int period) {
    std::vector<float> out;
    routeFluidLog();
    FluidSettingsPtr settings(new_fluid_settings());
    if (!settings) {
        return out;
    }
    fluidOk(fluid_settings_setnum(settings.get(), "synth.sample-rate", config.sampleRate),
            "fluid_settings_setnum synth.sample-rate");
    fluidOk(fluid_settings_setint(settings.get(), "synth.reverb.active", 0),
            "fluid_settings_setint synth.reverb.active");
    fluidOk(fluid_settings_setint(settings.get(), "synth.chorus.active", 0),
            "fluid_settings_setint synth.chorus.active");
    FluidSynthPtr synth(new_fluid_synth(settings.get()));
    if (!synth) {
        return out;
    }
    QByteArray path = QFile::encodeName(config.soundFont);
    if (fluid_synth_sfload(synth.get(), path.constData(), 1) == FLUID_FAILED) {
        return out;
    }
    FluidPlayerPtr player(new_fluid_player(synth.get()));
    if (!player ||
        !fluidOk(fluid_player_add_mem(player.get(), probe.smf.constData(),
                                      static_cast<std::size_t>(probe.smf.size())),
                 "fluid_player_add_mem") ||
        !fluidOk(fluid_player_play(player.get()), "fluid_player_play")) {
        return out;
    }
    std::vector<float> left(static_cast<std::size_t>(period));
    std::vector<float> right(static_cast<std::size_t>(period));
    const std::int64_t total =
        framesFromNanos(probe.length + std::chrono::seconds(1), config.sampleRate);
    for (std::int64_t done = 0; done < total; done += period) {
        if (!fluidOk(
                fluid_synth_write_float(synth.get(), period, left.data(), 0, 1, right.data(), 0, 1),
                "fluid_synth_write_float")) {
            break;
        }
        for (int i = 0; i < period; ++i) {
            out.push_back(left[static_cast<std::size_t>(i)]);
            out.push_back(right[static_cast<std::size_t>(i)]);
        }
    }
    fluid_player_stop(player.get());
    return out;
}

std::int64_t measureAttackFrames(const SynthConfig& config) {
    QString error;
    auto synth = OfflineSynth::create(withoutEffects(config), error);
    if (!synth) {
        return 0;
    }
    constexpr std::int64_t kStart = 64 * kSynthBlockFrames;
    synth->send(std::vector<std::uint8_t>{0x99, kHiHat, 120},
                nanosFromFrames(kStart, synth->sampleRate()));
    std::vector<float> out;
    synth->renderUntil(nanosFromFrames(kStart + 4096, synth->sampleRate()), out);
    auto onsets = detectOnsets(out, kThreshold, kQuietFrames);
    return onsets.empty() ? 0 : onsets.front() - kStart;
}

std::vector<TimingRow> runSynthTimingBenchmark(const SynthConfig& config,
                                               const std::vector<int>& periods,
                                               const TimingProbe& probe) {
    std::vector<TimingRow> rows;
    QString error;
    if (!SynthCore::create(config, error)) {
        return rows;
    }
    std::int64_t attack = measureAttackFrames(config);
    for (int period : periods) {
        TimingRow row;
        row.period = period;
        row.builtIn = compareOnsets(
            detectOnsets(renderProbe(config, probe, period), kThreshold, kQuietFrames),
            probe.noteOns, config.sampleRate, attack);
        row.fluidPlayer =
            compareOnsets(detectOnsets(renderProbeWithFluidPlayer(config, probe, period),
                                       kThreshold, kQuietFrames),
                          probe.noteOns, config.sampleRate, attack);
        rows.push_back(row);
    }
    return rows;
}

QString formatTimingReport(const std::vector<TimingRow>& rows, int sampleRate) {
    auto ms = [&](double frames) { return frames * 1000.0 / sampleRate; };
    QString text = QStringLiteral(
        "period  renderer       matched missing  p50 frames  p99 frames  max frames  p99 ms\n");
    for (const TimingRow& row : rows) {
        for (auto [name, s] :
             {std::pair{"built-in", row.builtIn}, std::pair{"fluid_player", row.fluidPlayer}}) {
            text += QStringLiteral("%1  %2 %3 %4 %5 %6 %7 %8\n")
                        .arg(row.period, 6)
                        .arg(QLatin1String(name), -14)
                        .arg(s.matched, 7)
                        .arg(s.missing, 7)
                        .arg(s.p50Frames, 11, 'f', 1)
                        .arg(s.p99Frames, 11, 'f', 1)
                        .arg(s.maxFrames, 11, 'f', 1)
                        .arg(ms(s.p99Frames), 7, 'f', 2);
        }
    }
    return text;
}

}  // namespace vesk::platform::midiout
