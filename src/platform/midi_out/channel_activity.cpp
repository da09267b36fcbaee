#include "platform/midi_out/channel_activity.h"

#include <algorithm>

namespace vesk::platform::midiout {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr int kAllNotesOff = 123;

std::uint32_t packed(const PresetChoice& p) {
    return static_cast<std::uint32_t>((p.drum ? 1 : 0) << 16 | (p.bank & 0xFF) << 8 |
                                      (p.program & 0x7F));
}

PresetChoice unpacked(std::uint32_t v) {
    return {static_cast<int>(v >> 8 & 0xFF), static_cast<int>(v & 0x7F), (v >> 16 & 1) != 0};
}

class MonitoredDevice final : public MidiOutDevice {
  public:
    MonitoredDevice(std::unique_ptr<MidiOutDevice> inner, ChannelActivity& activity)
        : inner_(std::move(inner)), activity_(activity) {}

    using MidiOutDevice::send;
    void send(std::span<const std::uint8_t> message, Nanos due, MidiPort port) override {
        inner_->send(message, due, port);
        activity_.record(static_cast<int>(port), message, due);
    }
    MidiOutError longMsg(std::span<const std::uint8_t> message,
                         std::function<void()> done) override {
        const MidiOutError error = inner_->longMsg(message, std::move(done));
        if (error == MidiOutError::None) {
            activity_.record(0, message, Nanos{0});
        }
        return error;
    }
    MidiOutError reset() override {
        const MidiOutError error = inner_->reset();
        activity_.silenced();
        return error;
    }

  private:
    std::unique_ptr<MidiOutDevice> inner_;
    ChannelActivity& activity_;
};

}  // namespace

ChannelActivity::ChannelActivity() {
    for (int ch = 0; ch < kActivityChannels; ++ch) {
        publishPreset(ch);
    }
}

void ChannelActivity::publishPreset(int channel) {
    const InstrumentMap& map = maps_[static_cast<std::size_t>(channel / kChannels)];
    published_[static_cast<std::size_t>(channel)].preset.store(
        packed(map.current(channel % kChannels)), kRelaxed);
}

void ChannelActivity::noteOn(int channel, int key, int velocity, Nanos due) {
    std::uint8_t& held = held_[static_cast<std::size_t>(channel)][static_cast<std::size_t>(key)];
    Published& p = published_[static_cast<std::size_t>(channel)];
    if (held < 255) {
        ++held;
        p.sounding.fetch_add(1, kRelaxed);
    }
    p.velocity.store(velocity, kRelaxed);
    p.lastNoteOn.store(due.count(), kRelaxed);
}

void ChannelActivity::noteOff(int channel, int key) {
    std::uint8_t& held = held_[static_cast<std::size_t>(channel)][static_cast<std::size_t>(key)];
    if (held > 0) {
        --held;
        published_[static_cast<std::size_t>(channel)].sounding.fetch_sub(1, kRelaxed);
    }
}

void ChannelActivity::record(int port, std::span<const std::uint8_t> m, Nanos due) {
    if (m.empty() || port < 0 || port >= kActivityPorts) {
        return;
    }
    std::lock_guard lock(writer_);
    InstrumentMap& map = maps_[static_cast<std::size_t>(port)];
    if (m[0] == 0xF0) {
        const SysExMeaning meaning = classifySysEx(m);
        if (meaning.kind == SysExMeaning::Kind::Reset) {
            map.reset(meaning.style);
        } else if (meaning.kind == SysExMeaning::Kind::RhythmPart && meaning.style == map.style()) {
            map.setDrumPart(meaning.channel, meaning.drum);
        } else {
            return;
        }
        for (int ch = 0; ch < kChannels; ++ch) {
            publishPreset(port * kChannels + ch);
        }
        return;
    }
    if (m[0] < 0x80 || m[0] >= 0xF0 || m.size() < 2) {
        return;
    }
    const int ch = m[0] & 0x0F;
    const int channel = port * kChannels + ch;
    const int kind = m[0] & 0xF0;
    const int data2 = m.size() > 2 ? m[2] : 0;
    published_[static_cast<std::size_t>(channel)].used.store(true, kRelaxed);
    if (kind == 0x90 && data2 > 0) {
        noteOn(channel, m[1] & 0x7F, data2, due);
    } else if (kind == 0x80 || kind == 0x90) {
        noteOff(channel, m[1] & 0x7F);
    } else if (kind == 0xB0 && m[1] == kAllNotesOff) {
        held_[static_cast<std::size_t>(channel)].fill(0);
        published_[static_cast<std::size_t>(channel)].sounding.store(0, kRelaxed);
    } else if (kind == 0xB0) {
        map.controlChange(ch, m[1], data2);
    } else if (kind == 0xC0) {
        map.programChange(ch, m[1]);
        publishPreset(channel);
    }
}

void ChannelActivity::silenced() {
    std::lock_guard lock(writer_);
    for (int ch = 0; ch < kActivityChannels; ++ch) {
        held_[static_cast<std::size_t>(ch)].fill(0);
        published_[static_cast<std::size_t>(ch)].sounding.store(0, kRelaxed);
    }
}

void ChannelActivity::restart() {
    std::lock_guard lock(writer_);
    for (int ch = 0; ch < kActivityChannels; ++ch) {
        held_[static_cast<std::size_t>(ch)].fill(0);
        Published& p = published_[static_cast<std::size_t>(ch)];
        p.used.store(false, kRelaxed);
        p.sounding.store(0, kRelaxed);
        p.velocity.store(0, kRelaxed);
    }
}

ChannelReading ChannelActivity::read(int channel) const {
    if (channel < 0 || channel >= kActivityChannels) {
        return {};
    }
    const Published& p = published_[static_cast<std::size_t>(channel)];
    ChannelReading r;
    r.used = p.used.load(kRelaxed);
    r.sounding = std::max(0, p.sounding.load(kRelaxed));
    r.velocity = p.velocity.load(kRelaxed);
    r.lastNoteOn = Nanos{p.lastNoteOn.load(kRelaxed)};
    r.preset = unpacked(p.preset.load(kRelaxed));
    return r;
}

MidiOutError MonitoredMidiOutputService::open(int device, std::unique_ptr<MidiOutDevice>& out) {
    std::unique_ptr<MidiOutDevice> inner;
    const MidiOutError error = inner_.open(device, inner);
    if (error == MidiOutError::None && inner) {
        out = std::make_unique<MonitoredDevice>(std::move(inner), activity_);
    }
    return error;
}

}  // namespace vesk::platform::midiout
