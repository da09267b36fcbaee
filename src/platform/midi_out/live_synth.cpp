#include "platform/midi_out/live_synth.h"

#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/midi_out/frame_time.h"
#include "platform/midi_out/midi_out_log.h"

namespace vesk::platform::midiout {

namespace {

constexpr Nanos kImmediate = Nanos::min();
constexpr std::int64_t kOverdue = std::numeric_limits<std::int64_t>::min();
// A callback further behind the line than this means the output stalled or skipped:
// start the line afresh.
constexpr double kResyncSeconds = 0.25;
// Callbacks only ever come late, so the line follows the earliest of them; it sinks by
// this fraction of the elapsed time so that it also follows an output clock slower than
// the playback clock (sound cards differ by some tens of parts per million).
constexpr double kSinkRate = 200e-6;

void collectOption(void* data, const char*, const char* option) {
    static_cast<QStringList*>(data)->append(QString::fromUtf8(option));
}

QStringList availableDrivers(fluid_settings_t* settings) {
    QStringList names;
    fluid_settings_foreach_option(settings, "audio.driver", &names, collectOption);
    return names;
}

}  // namespace

QStringList automaticAudioDrivers() {
    QStringList drivers{QStringLiteral("pipewire"), QStringLiteral("pulseaudio")};
    // Without sound devices ALSA only fills the terminal with complaints; a sound server
    // reachable through ALSA would have answered as PulseAudio already.
    if (QFileInfo(QStringLiteral("/dev/snd")).isDir()) {
        drivers.append(QStringLiteral("alsa"));
    }
    return drivers;
}

class LiveSynth::RingSource final : public EventSource {
  public:
    explicit RingSource(LiveSynth& owner) : owner_(owner) {}
    bool peek(std::int64_t& frame, std::span<const std::uint8_t>& message) override {
        Nanos due{0};
        if (!owner_.ring_.peek(due, message)) {
            return false;
        }
        frame = owner_.frameFor(due);
        return true;
    }
    void pop() override { owner_.ring_.pop(); }

  private:
    LiveSynth& owner_;
};

LiveSynth::LiveSynth(std::unique_ptr<SynthCore> core, std::shared_ptr<const Clock> clock)
    : core_(std::move(core)), clock_(std::move(clock)) {}

LiveSynth::~LiveSynth() {
    stopAudio();
}

bool LiveSynth::post(std::span<const std::uint8_t> message, Nanos due) {
    return ring_.push(message, due == kImmediate ? kImmediate + Nanos{1} : due);
}

bool LiveSynth::postNow(std::span<const std::uint8_t> message) {
    return ring_.push(message, kImmediate);
}

void LiveSynth::setLatency(Nanos latency) {
    latency_.store(latency.count(), std::memory_order_relaxed);
}

std::int64_t LiveSynth::frameFor(Nanos due) const {
    if (due == kImmediate) {
        return kOverdue;
    }
    // A deadline absurdly far from the line is treated as due now rather than overflowing;
    // the difference itself may overflow too (a deadline near the smallest time).
    std::int64_t distance = 0;
    if (__builtin_sub_overflow(due.count(), origin_.count(), &distance) ||
        std::abs(distance) > std::numeric_limits<std::int64_t>::max() / 4) {
        return kOverdue;
    }
    const Nanos fromOrigin{distance};
    return base_ + static_cast<std::int64_t>(std::llround(drift_)) +
           framesFromNanos(fromOrigin + latency(), core_->sampleRate());
}

void LiveSynth::process(float* left, float* right, int frames) {
    if (frames <= 0) {
        return;
    }
    Nanos now = clock_->now();
    std::int64_t position = core_->position();
    const int rate = core_->sampleRate();
    if (anchored_) {
        double expected = static_cast<double>(base_ + framesFromNanos(now - origin_, rate));
        double measured = static_cast<double>(position) - expected;
        double sunk =
            drift_ - kSinkRate * static_cast<double>(framesFromNanos(now - lastCallback_, rate));
        if (measured < drift_ - kResyncSeconds * rate) {
            anchored_ = false;
        } else {
            drift_ = std::max(measured, sunk);
        }
    }
    if (!anchored_) {
        anchored_ = true;
        origin_ = now;
        base_ = position;
        drift_ = 0.0;
    }
    lastCallback_ = now;
    RingSource source(*this);
    core_->render(left, right, frames, source);
}

int LiveSynth::audioCallback(void* data, int len, int, float*[], int nout, float* out[]) {
    if (nout >= 2 && len > 0) {
        static_cast<LiveSynth*>(data)->process(out[0], out[1], len);
    }
    return FLUID_OK;
}

MidiOutError LiveSynth::startAudio(const AudioOptions& options, QString& error) {
    if (driver_) {
        return MidiOutError::None;
    }
    fluid_settings_t* settings = core_->settings();
    int periodSize = std::clamp(options.periodSize, 64, 8192);
    fluidOk(fluid_settings_setint(settings, "audio.period-size", periodSize),
            "fluid_settings_setint audio.period-size");
    fluidOk(fluid_settings_setint(settings, "audio.periods", std::clamp(options.periods, 2, 64)),
            "fluid_settings_setint audio.periods");
    Nanos latency =
        options.latency > Nanos{0}
            ? options.latency
            : nanosFromFrames(2 * periodSize, core_->sampleRate()) + std::chrono::milliseconds(10);
    setLatency(latency);

    QStringList available = availableDrivers(settings);
    QStringList tries =
        options.driver.isEmpty() ? automaticAudioDrivers() : QStringList{options.driver};
    for (const QString& name : tries) {
        if (!available.contains(name)) {
            continue;
        }
        QByteArray utf8 = name.toUtf8();
        if (!fluidOk(fluid_settings_setstr(settings, "audio.driver", utf8.constData()),
                     "fluid_settings_setstr audio.driver")) {
            continue;
        }
        // The audio thread is not running yet, so the line can be reset here.
        anchored_ = false;
        driver_.reset(new_fluid_audio_driver2(settings, &LiveSynth::audioCallback, this));
        if (driver_) {
            qCInfo(lcMidiOut) << "sound output through" << name << "latency"
                              << latency.count() / 1000000.0 << "ms";
            return MidiOutError::None;
        }
    }
    if (!options.driver.isEmpty() && !available.contains(options.driver)) {
        error = QStringLiteral("音声出力ドライバー %1 はありません。").arg(options.driver);
    } else {
        error = QStringLiteral("音声出力を開けません。");
    }
    return MidiOutError::NoSoundOutput;
}

void LiveSynth::stopAudio() {
    driver_.reset();
}

}  // namespace vesk::platform::midiout
