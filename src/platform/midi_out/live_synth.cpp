#include "platform/midi_out/live_synth.h"

#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <limits>
#include <thread>
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
// Callbacks only ever come late, so the line follows the earliest of them within windows
// of this length; a window holds hundreds of callbacks, some of them on time.
constexpr Nanos kWindow = std::chrono::seconds(2);
// A driver first fills its buffer with callbacks back to back; once this many have come
// at least half a period apart it plays at its own pace.
constexpr int kPacedCallbacks = 3;
// A sound server may hold the first period back for as long as its sink's previous
// latency (up to two seconds for an idle null sink); a song started earlier would lose
// its first notes.
constexpr Nanos kSteadyTimeout = std::chrono::milliseconds(2500);

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

QStringList offeredAudioDrivers() {
    FluidSettingsPtr settings(new_fluid_settings());
    if (!settings) {
        return {};
    }
    const QStringList built = availableDrivers(settings.get());
    QStringList offered;
    for (const QString& name : automaticAudioDrivers()) {
        if (built.contains(name)) {
            offered.append(name);
        }
    }
    for (const QString& name : built) {
        // "file" writes a file, not to a sound output.
        if (!offered.contains(name) && name != QStringLiteral("file")) {
            offered.append(name);
        }
    }
    return offered;
}

class LiveSynth::RingSource final : public EventSource {
  public:
    explicit RingSource(LiveSynth& owner) : owner_(owner) {}
    bool peek(DueMessage& next) override {
        Nanos due{0};
        if (!owner_.ring_.peek(due, next.bytes, next.port)) {
            return false;
        }
        next.frame = owner_.frameFor(due);
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

bool LiveSynth::post(std::span<const std::uint8_t> message, Nanos due, MidiPort port) {
    return ring_.push(message, due == kImmediate ? kImmediate + Nanos{1} : due, port);
}

bool LiveSynth::postNow(std::span<const std::uint8_t> message, MidiPort port) {
    return ring_.push(message, kImmediate, port);
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

void LiveSynth::follow(Nanos now, std::int64_t position) {
    const int rate = core_->sampleRate();
    if (anchored_) {
        const double expected = static_cast<double>(base_ + framesFromNanos(now - origin_, rate));
        const double measured = static_cast<double>(position) - expected;
        if (measured < drift_ - kResyncSeconds * rate) {
            anchored_ = false;
        } else {
            if (now - windowStart_ >= kWindow) {
                previousWindowBest_ = windowBest_;
                windowBest_ = measured;
                windowStart_ = now;
            }
            windowBest_ = std::max(windowBest_, measured);
            drift_ = std::max(windowBest_, previousWindowBest_);
        }
    }
    if (!anchored_) {
        anchored_ = true;
        origin_ = now;
        windowStart_ = now;
        base_ = position;
        drift_ = windowBest_ = previousWindowBest_ = 0.0;
    }
}

void LiveSynth::process(float* left, float* right, int frames) {
    if (frames <= 0) {
        return;
    }
    const Nanos now = clock_->now();
    const std::int64_t position = core_->position();
    const bool wasAnchored = anchored_;

    follow(now, position);
    if (!steady_.load(std::memory_order_relaxed)) {
        if (wasAnchored &&
            now - lastCallback_ >= nanosFromFrames(frames, core_->sampleRate()) / 2) {
            ++paced_;
        }
        if (paced_ >= kPacedCallbacks) {
            // The buffer is full: the line starts from the pace, not from the filling.
            windowBest_ = previousWindowBest_ = drift_;
            steady_.store(true, std::memory_order_release);
        }
    }
    lastCallback_ = now;
    RingSource source(*this);
    core_->render(left, right, frames, source);
}

void LiveSynth::waitUntilSteady() {
    const auto giveUp = std::chrono::steady_clock::now() + kSteadyTimeout;
    while (!steady_.load(std::memory_order_acquire)) {
        if (std::chrono::steady_clock::now() >= giveUp) {
            qCInfo(lcMidiOut) << "sound output not yet at a steady pace; starting anyway";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
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
        paced_ = 0;
        steady_.store(false, std::memory_order_relaxed);
        driver_.reset(new_fluid_audio_driver2(settings, &LiveSynth::audioCallback, this));
        if (driver_) {
            waitUntilSteady();
            qCInfo(lcMidiOut) << "sound output through" << name << "latency"
                              << latency.count() / 1000000.0 << "ms";
            return MidiOutError::None;
        }
    }
    if (!options.driver.isEmpty() && !available.contains(options.driver)) {
        error = QStringLiteral("音声出力ドライバー %1 はありません。").arg(options.driver);
    } else {
        QStringList tried;
        for (const QString& name : tries) {
            if (available.contains(name)) {
                tried.append(name);
            }
        }
        error =
            QStringLiteral(
                "内蔵シンセサイザーの音声出力を開けません (試したドライバー: %1)。"
                "サウンドサーバー (PipeWire または PulseAudio) が動いているか、"
                "オプションの音声出力ドライバーの設定を確かめてください。")
                .arg(tried.isEmpty() ? QStringLiteral("なし") : tried.join(QStringLiteral(", ")));
    }
    return MidiOutError::NoSoundOutput;
}

void LiveSynth::stopAudio() {
    driver_.reset();
}

}  // namespace vesk::platform::midiout
