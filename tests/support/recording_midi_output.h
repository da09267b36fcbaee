#pragma once
// A MIDI output service that sounds nothing and remembers everything it was sent, for
// tests and for measuring the sequencer without a device.

#include <mutex>
#include <vector>

#include "platform/midi_output.h"

namespace vesk::platform {

struct RecordedMessage {
    int device = 0;
    std::vector<std::uint8_t> bytes;
    Nanos due{0};  // the deadline given to send(); 0 for longMsg
    bool longMessage = false;
    bool reset = false;  // a reset() call rather than a message
    MidiPort port = MidiPort::A;
};

class RecordingMidiOutputService final : public MidiOutputService {
  public:
    explicit RecordingMidiOutputService(int deviceCount = 2);

    int deviceCount() override;
    QString deviceName(int device) override;
    MidiOutError open(int device, std::unique_ptr<MidiOutDevice>& out) override;

    // Everything sent so far, in the order it arrived.
    std::vector<RecordedMessage> messages() const;
    void clear();

    // Tests make devices fail to open, long messages fail to send, or resets fail, with
    // these errors; a device takes the long message and reset results it is opened with.
    void setOpenResult(MidiOutError error);
    void setLongMsgResult(MidiOutError error);
    void setResetResult(MidiOutError error);
    // When false, long messages are accepted but their completion never arrives.
    void setCompleteLongMessages(bool complete);

    int openCount() const;
    int openDevices() const;  // devices opened and not yet closed

  private:
    friend class RecordingDevice;
    void record(RecordedMessage message);
    void closed();

    mutable std::mutex mutex_;
    std::vector<RecordedMessage> messages_;
    int deviceCount_;
    MidiOutError openResult_ = MidiOutError::None;
    MidiOutError longMsgResult_ = MidiOutError::None;
    MidiOutError resetResult_ = MidiOutError::None;
    bool completeLongMessages_ = true;
    int openCount_ = 0;
    int openDevices_ = 0;
};

}  // namespace vesk::platform
