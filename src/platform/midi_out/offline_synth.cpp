#include "platform/midi_out/offline_synth.h"

#include <algorithm>

#include "platform/midi_out/frame_time.h"
#include "platform/midi_out/midi_bytes.h"
#include "platform/midi_out/midi_out_log.h"
#include "platform/midi_out/reset_messages.h"

namespace vesk::platform::midiout {

class OfflineSynth::QueueSource final : public EventSource {
  public:
    explicit QueueSource(OfflineSynth& owner) : owner_(owner) {}
    bool peek(DueMessage& next) override {
        if (owner_.queue_.empty()) {
            return false;
        }
        const Pending& first = owner_.queue_.front();
        next.frame = framesFromNanos(first.due - owner_.origin_, owner_.sampleRate());
        next.bytes = first.bytes;
        next.port = first.port;
        return true;
    }
    void pop() override { owner_.queue_.pop_front(); }

  private:
    OfflineSynth& owner_;
};

std::unique_ptr<OfflineSynth> OfflineSynth::create(const SynthConfig& config, QString& error,
                                                   Nanos origin) {
    auto core = SynthCore::create(config, error);
    if (!core) {
        return nullptr;
    }
    return std::unique_ptr<OfflineSynth>(new OfflineSynth(std::move(core), origin));
}

OfflineSynth::OfflineSynth(std::unique_ptr<SynthCore> core, Nanos origin)
    : core_(std::move(core)), origin_(origin) {
    setPeriod(period_);
}

void OfflineSynth::setPeriod(int frames) {
    period_ = std::clamp(frames, 1, 65536);
    left_.resize(static_cast<std::size_t>(period_));
    right_.resize(static_cast<std::size_t>(period_));
}

Nanos OfflineSynth::time() const {
    return origin_ + nanosFromFrames(core_->position(), sampleRate());
}

void OfflineSynth::enqueue(std::span<const std::uint8_t> message, Nanos due, MidiPort port) {
    // Equal deadlines keep the order they were sent in.
    auto at = std::upper_bound(queue_.begin(), queue_.end(), due,
                               [](Nanos d, const Pending& p) { return d < p.due; });
    queue_.insert(at, Pending{due, {message.begin(), message.end()}, port});
}

void OfflineSynth::send(std::span<const std::uint8_t> message, Nanos due, MidiPort port) {
    // A century either way is beyond any song; such a deadline is garbage, not music.
    constexpr Nanos kFarthest = std::chrono::hours(24 * 365 * 100);
    if (due < origin_ - kFarthest || due > origin_ + kFarthest) {
        qCDebug(lcMidiOut) << "ignored a message due at" << due.count() << "ns";
        return;
    }
    if (!isCompleteMessage(message)) {
        qCDebug(lcMidiOut) << "ignored an incomplete message of" << message.size() << "bytes";
        return;
    }
    enqueue(message, due, port);
}

MidiOutError OfflineSynth::longMsg(std::span<const std::uint8_t> message,
                                   std::function<void()> done) {
    Nanos now = time();
    if (!splitMessages(message, [&](std::span<const std::uint8_t> part) {
            enqueue(part, now, MidiPort::A);
        })) {
        return MidiOutError::BadMessage;
    }
    if (done) {
        done();
    }
    return MidiOutError::None;
}

MidiOutError OfflineSynth::reset() {
    Nanos now = time();
    forEachSilencingMessage(
        kMidiPorts, [&](std::span<const std::uint8_t> m, MidiPort port) { enqueue(m, now, port); });
    return MidiOutError::None;
}

void OfflineSynth::renderUntil(Nanos until, std::vector<float>& out) {
    std::int64_t target = framesFromNanos(until - origin_, sampleRate());
    QueueSource source(*this);
    while (core_->position() < target) {
        int count = static_cast<int>(std::min<std::int64_t>(period_, target - core_->position()));
        core_->render(left_.data(), right_.data(), count, source);
        for (int i = 0; i < count; ++i) {
            out.push_back(left_[static_cast<std::size_t>(i)]);
            out.push_back(right_[static_cast<std::size_t>(i)]);
        }
    }
}

}  // namespace vesk::platform::midiout
