#include "sequencer/sequencer_session.h"

#include <sys/prctl.h>

#include <algorithm>
#include <limits>

#include "sequencer/current_exception.h"
#include "sequencer/sequencer_log.h"

namespace vesk::sequencer {

using platform::Nanos;

namespace {
constexpr std::int64_t kNsPerMs = 1'000'000;

std::int64_t msToNs(std::int64_t ms) {
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / kNsPerMs;
    return std::clamp<std::int64_t>(ms, 0, kLimit) * kNsPerMs;
}
}  // namespace

void SequencerSession::DeviceOutput::send(std::span<const std::uint8_t> message, Nanos due,
                                          platform::MidiPort port) {
    if (device_ == nullptr) {
        return;
    }
    try {
        device_->send(message, due, port);
    } catch (...) {
        // Logged once: a broken device would otherwise fill the log with every event.
        if (!failed_) {
            qCWarning(lcSequencer) << "MIDI output failed:" << describeCurrentException();
        }
        failed_ = true;
    }
}

SequencerSession::SequencerSession(std::shared_ptr<const Song> song,
                                   platform::MidiOutputService& service, platform::Clock& clock,
                                   bool realTime)
    : service_(service), clock_(clock), realTime_(realTime), core_(std::move(song)) {}

SequencerSession::~SequencerSession() {
    close();
}

SequencerError SequencerSession::openDevice() {
    if (device_) {
        return SequencerError::None;
    }
    std::unique_ptr<platform::MidiOutDevice> device;
    platform::MidiOutError error = platform::MidiOutError::Failed;
    try {
        error = service_.open(port_, device);
    } catch (...) {
        qCWarning(lcSequencer) << "opening MIDI output" << port_
                               << "failed:" << describeCurrentException();
        return SequencerError::DeviceOpen;
    }
    if (error != platform::MidiOutError::None || !device) {
        qCWarning(lcSequencer) << "cannot open MIDI output" << port_ << "code"
                               << platform::deviceCode(error) << platform::errorMessage(error);
        return SequencerError::DeviceOpen;
    }
    device_ = std::move(device);
    openPort_ = port_;
    output_.setDevice(device_.get());
    return SequencerError::None;
}

void SequencerSession::closeDevice() {
    output_.setDevice(nullptr);
    device_.reset();
}

SequencerError SequencerSession::setPort(int device) {
    if (device < -1) {
        return SequencerError::BadNumber;
    }
    std::lock_guard lock(mutex_);
    port_ = device;
    if (!device_ || openPort_ == device) {
        return SequencerError::None;
    }
    // Leave the old device silent at the current position and bring the new one up to the
    // same state.
    const Nanos now = clock_.now();
    const PlayMode mode = core_.mode(now);
    core_.seek(core_.positionNs(now), now, output_);
    closeDevice();
    const SequencerError rc = openDevice();
    if (mode != PlayMode::Stopped) {
        core_.play(now, output_);
        if (mode == PlayMode::Paused) {
            core_.pause(now, output_);
        }
    }
    wake();
    return rc;
}

SequencerError SequencerSession::play() {
    std::lock_guard lock(mutex_);
    const SequencerError rc = openDevice();
    core_.play(clock_.now(), output_);
    startThread();
    wake();
    return rc;
}

SequencerError SequencerSession::playFrom(std::int64_t ms) {
    std::lock_guard lock(mutex_);
    const SequencerError rc = openDevice();
    core_.playFrom(msToNs(ms), clock_.now(), output_);
    startThread();
    wake();
    return rc;
}

void SequencerSession::pause() {
    std::lock_guard lock(mutex_);
    core_.pause(clock_.now(), output_);
    wake();
}

void SequencerSession::stop() {
    std::lock_guard lock(mutex_);
    core_.stop(clock_.now(), output_);
    wake();
}

void SequencerSession::seek(std::int64_t ms) {
    std::lock_guard lock(mutex_);
    core_.seek(msToNs(ms), clock_.now(), output_);
    wake();
}

void SequencerSession::setTempo(int bpm) {
    std::lock_guard lock(mutex_);
    core_.setTempo(bpm, clock_.now(), output_);
    wake();
}

void SequencerSession::setTranspose(int semitones) {
    std::lock_guard lock(mutex_);
    core_.setTranspose(semitones, clock_.now(), output_);
}

void SequencerSession::setLoops(int passes) {
    std::lock_guard lock(mutex_);
    core_.setLoops(passes, clock_.now(), output_);
    wake();
}

int SequencerSession::loops() const {
    std::lock_guard lock(mutex_);
    return core_.loops();
}

void SequencerSession::setChannelFilter(ChannelSet muted, ChannelSet soloed) {
    std::lock_guard lock(mutex_);
    core_.setChannelFilter(muted, soloed, clock_.now(), output_);
}

int SequencerSession::transpose() const {
    std::lock_guard lock(mutex_);
    return core_.transpose();
}

void SequencerSession::close() {
    {
        std::lock_guard lock(mutex_);
        core_.halt(clock_.now(), output_);
        quit_ = true;
        wake();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    closeDevice();
}

PlayMode SequencerSession::mode() const {
    std::lock_guard lock(mutex_);
    return core_.mode(clock_.now());
}

std::int64_t SequencerSession::positionMs() const {
    std::lock_guard lock(mutex_);
    return core_.positionNs(clock_.now()) / kNsPerMs;
}

std::int64_t SequencerSession::songPositionMs() const {
    std::lock_guard lock(mutex_);
    return core_.songPositionNs(clock_.now()) / kNsPerMs;
}

std::int64_t SequencerSession::lengthMs() const {
    std::lock_guard lock(mutex_);
    return core_.lengthNs() / kNsPerMs;
}

int SequencerSession::tempo() const {
    std::lock_guard lock(mutex_);
    return core_.tempoBpm(clock_.now());
}

void SequencerSession::pump(Nanos now) {
    std::lock_guard lock(mutex_);
    core_.pump(now, output_);
}

std::optional<Nanos> SequencerSession::nextDeadline() const {
    std::lock_guard lock(mutex_);
    return core_.nextDeadline();
}

void SequencerSession::startThread() {
    if (realTime_ && !thread_.joinable() && !quit_) {
        thread_ = std::thread([this] { run(); });
    }
}

void SequencerSession::wake() {
    ++generation_;
    wakeUp_.notify_all();
}

void SequencerSession::run() {
    // The default 50 us timer slack would add itself to every deadline.
    if (prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) != 0) {
        qCDebug(lcSequencer) << "timer slack left at its default";
    }
    try {
        loop();
    } catch (...) {
        qCCritical(lcSequencer) << "playback thread stopped by an unexpected failure:"
                                << describeCurrentException();
    }
}

void SequencerSession::loop() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        core_.pump(clock_.now(), output_);
        const std::uint64_t seen = generation_;
        const auto woken = [&] { return quit_ || generation_ != seen; };
        const std::optional<Nanos> next = core_.nextDeadline();
        if (!next) {
            wakeUp_.wait(lock, woken);
            continue;
        }
        const Nanos wait = *next - clock_.now();
        if (wait > Nanos{0}) {
            wakeUp_.wait_for(lock, wait, woken);
        }
    }
}

}  // namespace vesk::sequencer
