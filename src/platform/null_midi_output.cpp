#include "platform/null_midi_output.h"

namespace vesk::platform {
namespace {

class NullDevice final : public MidiOutDevice {
  public:
    void send(std::span<const std::uint8_t>, Nanos, MidiPort) override {}
    MidiOutError longMsg(std::span<const std::uint8_t>, std::function<void()> done) override {
        if (done) {
            done();
        }
        return MidiOutError::None;
    }
    MidiOutError reset() override { return MidiOutError::None; }
};

}  // namespace

MidiOutError NullMidiOutputService::open(int device, std::unique_ptr<MidiOutDevice>& out) {
    if (device != -1) {
        return MidiOutError::NoSuchDevice;
    }
    out = std::make_unique<NullDevice>();
    return MidiOutError::None;
}

}  // namespace vesk::platform
