#include "platform/midi_out/system_midi_output.h"

#include <functional>

#include "platform/midi_out/midi_bytes.h"
#include "platform/midi_out/midi_out_log.h"
#include "platform/midi_out/reset_messages.h"
#include "platform/midi_out/soundfont.h"

namespace vesk::platform::midiout {

QString synthesizerName() {
    return QStringLiteral("FluidSynth Software Synthesizer");
}
QString defaultOutputName() {
    return QStringLiteral("MIDI Mapper (FluidSynth)");
}

// The one synthesizer of the service. It lives as long as the service or any device
// opened on it, and keeps its state (the last reset, the programs) between opens, like a
// sound module that stays switched on. Sound output starts with the first open.
class SynthHost {
  public:
    SynthHost(MidiOutputOptions options, std::shared_ptr<const Clock> clock)
        : options_(std::move(options)), clock_(std::move(clock)) {}

    void setOptions(const MidiOutputOptions& options) {
        std::lock_guard lock(mutex_);
        options_ = options;
    }

    MidiOutError prepare(QString& error) {
        std::lock_guard lock(mutex_);
        return load(error);
    }

    MidiOutError acquire(QString& error) {
        std::lock_guard lock(mutex_);
        MidiOutError code = load(error);
        if (code != MidiOutError::None) {
            return code;
        }
        if (users_ == 0 && live_->audioRunning() && runningAudio_ != options_.audio) {
            live_->stopAudio();
        }
        if (!live_->audioRunning()) {
            code = live_->startAudio(options_.audio, error);
            if (code != MidiOutError::None) {
                return code;
            }
            runningAudio_ = options_.audio;
        }
        ++users_;
        return MidiOutError::None;
    }

    // The sound output keeps running when the last device closes: a sound server takes
    // up to seconds to start a stream, which the next song (or the engine reopening the
    // device) would otherwise wait for.
    void release() {
        std::lock_guard lock(mutex_);
        if (users_ > 0) {
            --users_;
        }
    }

    // Devices hold a user count, so live_ stays while they use it.
    LiveSynth& live() { return *live_; }

  private:
    // With mutex_ held: the synthesizer for the current options, loaded if need be.
    MidiOutError load(QString& error) {
        bool sameSynth = liveOptions_.soundFont == options_.soundFont &&
                         liveOptions_.sampleRate == options_.sampleRate &&
                         liveOptions_.gain == options_.gain;
        if (users_ == 0 && live_ && !sameSynth) {
            live_.reset();
        }
        if (!live_) {
            SynthConfig config;
            config.soundFont = resolveSoundFont(options_.soundFont);
            config.sampleRate = options_.sampleRate;
            config.gain = options_.gain;
            auto core = SynthCore::create(config, error);
            if (!core) {
                return MidiOutError::Failed;
            }
            live_ = std::make_unique<LiveSynth>(std::move(core), clock_);
            liveOptions_ = options_;
        }
        return MidiOutError::None;
    }

    std::mutex mutex_;
    MidiOutputOptions options_;
    MidiOutputOptions liveOptions_;
    std::shared_ptr<const Clock> clock_;
    std::unique_ptr<LiveSynth> live_;
    AudioOptions runningAudio_;
    int users_ = 0;
};

namespace {

class SynthDevice final : public MidiOutDevice {
  public:
    explicit SynthDevice(std::shared_ptr<SynthHost> host) : host_(std::move(host)) {}
    ~SynthDevice() override { host_->release(); }

    void send(std::span<const std::uint8_t> message, Nanos due, MidiPort port) override {
        if (!isCompleteMessage(message)) {
            qCDebug(lcMidiOut) << "ignored an incomplete message of" << message.size() << "bytes";
            return;
        }
        if (!host_->live().post(message, due, port)) {
            qCWarning(lcMidiOut) << "synthesizer queue full; a message was dropped";
        }
    }

    MidiOutError longMsg(std::span<const std::uint8_t> message,
                         std::function<void()> done) override {
        bool queued = true;
        if (!splitMessages(message, [&](std::span<const std::uint8_t> part) {
                queued = host_->live().postNow(part) && queued;
            })) {
            return MidiOutError::BadMessage;
        }
        if (!queued) {
            return MidiOutError::Busy;
        }
        if (done) {
            done();
        }
        return MidiOutError::None;
    }

    MidiOutError reset() override {
        bool queued = true;
        forEachSilencingMessage(kMidiPorts, [&](std::span<const std::uint8_t> m, MidiPort port) {
            queued = host_->live().postNow(m, port) && queued;
        });
        return queued ? MidiOutError::None : MidiOutError::Busy;
    }

  private:
    std::shared_ptr<SynthHost> host_;
};

}  // namespace

SystemMidiOutputService::SystemMidiOutputService(MidiOutputOptions options,
                                                 std::shared_ptr<const Clock> clock,
                                                 std::unique_ptr<MidiPortBackend> ports)
    : synth_(std::make_shared<SynthHost>(
          std::move(options), clock ? std::move(clock) : std::make_shared<SteadyClock>())),
      ports_(ports ? std::move(ports) : makeAlsaPortBackend()) {}

SystemMidiOutputService::~SystemMidiOutputService() = default;

int SystemMidiOutputService::deviceCount() {
    return 1 + static_cast<int>(ports_->portNames().size());
}

QString SystemMidiOutputService::deviceName(int device) {
    if (device == -1) {
        return defaultOutputName();
    }
    if (device == 0) {
        return synthesizerName();
    }
    if (device < 0) {
        return {};
    }
    auto names = ports_->portNames();
    if (static_cast<std::size_t>(device) > names.size()) {
        return {};
    }
    return names[static_cast<std::size_t>(device) - 1];
}

MidiOutError SystemMidiOutputService::open(int device, std::unique_ptr<MidiOutDevice>& out) {
    QString error;
    MidiOutError code = MidiOutError::None;
    if (device == -1 || device == 0) {
        code = synth_->acquire(error);
        if (code == MidiOutError::None) {
            out = std::make_unique<SynthDevice>(synth_);
        }
    } else if (device > 0 && static_cast<std::size_t>(device) <= ports_->portNames().size()) {
        code = ports_->openPort(device - 1, out);
        if (code == MidiOutError::NoSuchDevice) {
            error = QStringLiteral("MIDI 出力デバイス %1 はありません。").arg(device);
        } else if (code != MidiOutError::None) {
            error = QStringLiteral("MIDI 出力デバイス %1 を開けません。").arg(device);
        }
    } else {
        code = MidiOutError::NoSuchDevice;
        error = QStringLiteral("MIDI 出力デバイス %1 はありません。").arg(device);
    }
    if (code != MidiOutError::None) {
        qCInfo(lcMidiOut) << "device" << device << "not opened:" << error;
    }
    std::function<void(const QString&)> notice;
    {
        std::lock_guard lock(mutex_);
        lastError_ = error;
        if (code == MidiOutError::NoSoundOutput && !noticeGiven_) {
            noticeGiven_ = true;
            notice = noSoundOutputNotice_;
        }
    }
    if (notice) {
        notice(error);
    }
    return code;
}

MidiOutError SystemMidiOutputService::prepareSynthesizer() {
    QString error;
    const MidiOutError code = synth_->prepare(error);
    if (code != MidiOutError::None) {
        qCInfo(lcMidiOut) << "synthesizer not loaded:" << error;
    }
    std::lock_guard lock(mutex_);
    lastError_ = error;
    return code;
}

void SystemMidiOutputService::setOptions(const MidiOutputOptions& options) {
    synth_->setOptions(options);
}

void SystemMidiOutputService::setNoSoundOutputNotice(std::function<void(const QString&)> notice) {
    std::lock_guard lock(mutex_);
    noSoundOutputNotice_ = std::move(notice);
}

QString SystemMidiOutputService::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

}  // namespace vesk::platform::midiout
