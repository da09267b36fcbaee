#include "platform/null_midi_output.h"

namespace vesk::platform {
namespace {

class NullDevice final : public MidiOutDevice {
  public:
    void send(std::span<const std::uint8_t>, Nanos) override {}
    int longMsg(std::span<const std::uint8_t>, std::function<void()> done) override {
        done();
        return 0;
    }
    int reset() override { return 0; }
};

}  // namespace

int NullMidiOutputService::open(int device, std::unique_ptr<MidiOutDevice>& out) {
    if (device != -1) {
        return 2;  // no such device
    }
    out = std::make_unique<NullDevice>();
    return 0;
}

}  // namespace vesk::platform
