#include "support/recording_midi_output.h"

namespace vesk::platform {

class RecordingDevice final : public MidiOutDevice {
  public:
    RecordingDevice(RecordingMidiOutputService& service, int device, MidiOutError longMsgResult,
                    MidiOutError resetResult, bool complete)
        : service_(service),
          device_(device),
          longMsgResult_(longMsgResult),
          resetResult_(resetResult),
          complete_(complete) {}
    ~RecordingDevice() override { service_.closed(); }

    void send(std::span<const std::uint8_t> message, Nanos due, MidiPort port) override {
        service_.record({device_, {message.begin(), message.end()}, due, false, false, port});
    }

    MidiOutError longMsg(std::span<const std::uint8_t> message,
                         std::function<void()> done) override {
        if (longMsgResult_ != MidiOutError::None) {
            return longMsgResult_;
        }
        service_.record({device_, {message.begin(), message.end()}, Nanos{0}, true, false});
        if (complete_ && done) {
            done();
        }
        return MidiOutError::None;
    }

    MidiOutError reset() override {
        service_.record({device_, {}, Nanos{0}, false, true});
        return resetResult_;
    }

  private:
    RecordingMidiOutputService& service_;
    int device_;
    MidiOutError longMsgResult_;
    MidiOutError resetResult_;
    bool complete_;
};

RecordingMidiOutputService::RecordingMidiOutputService(int deviceCount)
    : deviceCount_(deviceCount) {}

int RecordingMidiOutputService::deviceCount() {
    return deviceCount_;
}

QString RecordingMidiOutputService::deviceName(int device) {
    if (device < 0 || device >= deviceCount_) {
        return {};
    }
    return QStringLiteral("Recording %1").arg(device);
}

MidiOutError RecordingMidiOutputService::open(int device, std::unique_ptr<MidiOutDevice>& out) {
    std::lock_guard lock(mutex_);
    if (openResult_ != MidiOutError::None) {
        return openResult_;
    }
    if (device < -1 || device >= deviceCount_) {
        return MidiOutError::NoSuchDevice;
    }
    ++openCount_;
    ++openDevices_;
    out = std::make_unique<RecordingDevice>(*this, device, longMsgResult_, resetResult_,
                                            completeLongMessages_);
    return MidiOutError::None;
}

std::vector<RecordedMessage> RecordingMidiOutputService::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

void RecordingMidiOutputService::clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

void RecordingMidiOutputService::setOpenResult(MidiOutError error) {
    std::lock_guard lock(mutex_);
    openResult_ = error;
}

void RecordingMidiOutputService::setLongMsgResult(MidiOutError error) {
    std::lock_guard lock(mutex_);
    longMsgResult_ = error;
}

void RecordingMidiOutputService::setResetResult(MidiOutError error) {
    std::lock_guard lock(mutex_);
    resetResult_ = error;
}

void RecordingMidiOutputService::setCompleteLongMessages(bool complete) {
    std::lock_guard lock(mutex_);
    completeLongMessages_ = complete;
}

int RecordingMidiOutputService::openCount() const {
    std::lock_guard lock(mutex_);
    return openCount_;
}

int RecordingMidiOutputService::openDevices() const {
    std::lock_guard lock(mutex_);
    return openDevices_;
}

void RecordingMidiOutputService::record(RecordedMessage message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(message));
}

void RecordingMidiOutputService::closed() {
    std::lock_guard lock(mutex_);
    --openDevices_;
}

}  // namespace vesk::platform
