#include "platform/midi_out/instrument_map.h"

#include <algorithm>

namespace vesk::platform::midiout {

namespace {

constexpr int kXgSfxKit = 126;
constexpr int kXgDrumKit = 127;
// GM SoundFonts that carry GS kits keep the sound-effects kit at program 56 of the drum
// bank; it is the nearest thing to XG's SFX kits.
constexpr int kSfxKitProgram = 56;

bool matches(std::span<const std::uint8_t> m, std::initializer_list<int> pattern) {
    if (m.size() != pattern.size()) {
        return false;
    }
    auto it = m.begin();
    for (int p : pattern) {
        if (p >= 0 && *it != p) {
            return false;
        }
        ++it;
    }
    return true;
}

// GS numbers parts 1-9 as 1-9, part 10 as 0 and parts 11-16 as A-F in the address.
int gsPartChannel(int addressNibble) {
    if (addressNibble == 0) {
        return kDrumChannel;
    }
    return addressNibble <= 9 ? addressNibble - 1 : addressNibble;
}

}  // namespace

SysExMeaning classifySysEx(std::span<const std::uint8_t> m) {
    constexpr int any = -1;
    SysExMeaning meaning;
    if (matches(m, {0xF0, 0x7E, any, 0x09, 0x01, 0xF7}) ||
        matches(m, {0xF0, 0x7E, any, 0x09, 0x03, 0xF7})) {
        meaning.kind = SysExMeaning::Kind::Reset;
        meaning.style = ResetStyle::Gm;
    } else if (matches(m, {0xF0, 0x41, any, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, any, 0xF7}) ||
               matches(m, {0xF0, 0x41, any, 0x42, 0x12, 0x00, 0x00, 0x7F, any, any, 0xF7})) {
        // The second form is the SC-88 system mode set, which resets the module as well.
        meaning.kind = SysExMeaning::Kind::Reset;
        meaning.style = ResetStyle::Gs;
    } else if (m.size() == 9 && m[0] == 0xF0 && m[1] == 0x43 && (m[2] & 0xF0) == 0x10 &&
               matches(m.subspan(3), {0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7})) {
        meaning.kind = SysExMeaning::Kind::Reset;
        meaning.style = ResetStyle::Xg;
    } else if (matches(m, {0xF0, 0x41, any, 0x42, 0x12, 0x40, any, 0x15, any, any, 0xF7}) &&
               (m[6] & 0xF0) == 0x10) {
        meaning.kind = SysExMeaning::Kind::RhythmPart;
        meaning.style = ResetStyle::Gs;
        meaning.channel = gsPartChannel(m[6] & 0x0F);
        meaning.drum = m[8] != 0;
    } else if (m.size() == 9 && m[0] == 0xF0 && m[1] == 0x43 && (m[2] & 0xF0) == 0x10 &&
               m[3] == 0x4C && m[4] == 0x08 && m[5] < kPortChannels && m[6] == 0x07 &&
               m[8] == 0xF7) {
        meaning.kind = SysExMeaning::Kind::RhythmPart;
        meaning.style = ResetStyle::Xg;
        meaning.channel = m[5];
        meaning.drum = m[7] != 0;
    }
    return meaning;
}

InstrumentMap::InstrumentMap() {
    reset(ResetStyle::Gs);
}

void InstrumentMap::reset(ResetStyle style) {
    style_ = style;
    for (int ch = 0; ch < kChannels; ++ch) {
        Channel& c = channels_[static_cast<std::size_t>(ch)];
        c = Channel{};
        if (ch % kPortChannels == kDrumChannel) {
            c.drum = true;
            if (style == ResetStyle::Xg) {
                c.bankMsb = kXgDrumKit;
            }
        }
    }
}

void InstrumentMap::controlChange(int channel, int controller, int value) {
    if (channel < 0 || channel >= kChannels) {
        return;
    }
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    if (controller == 0) {
        c.bankMsb = std::clamp(value, 0, 127);
    } else if (controller == 32) {
        c.bankLsb = std::clamp(value, 0, 127);
    }
}

PresetChoice InstrumentMap::programChange(int channel, int program) {
    if (channel < 0 || channel >= kChannels) {
        return {};
    }
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    c.program = std::clamp(program, 0, 127);
    if (style_ == ResetStyle::Xg) {
        // In XG the bank decides whether a part plays drums.
        c.drum = c.bankMsb == kXgDrumKit || c.bankMsb == kXgSfxKit;
    }
    return choose(c);
}

PresetChoice InstrumentMap::setDrumPart(int channel, bool drum) {
    if (channel < 0 || channel >= kChannels) {
        return {};
    }
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    c.drum = drum;
    if (style_ == ResetStyle::Xg) {
        c.bankMsb = drum ? kXgDrumKit : 0;
    }
    return choose(c);
}

PresetChoice InstrumentMap::current(int channel) const {
    if (channel < 0 || channel >= kChannels) {
        return {};
    }
    return choose(channels_[static_cast<std::size_t>(channel)]);
}

PresetChoice InstrumentMap::choose(const Channel& c) const {
    if (c.drum) {
        bool sfx = style_ == ResetStyle::Xg && c.bankMsb == kXgSfxKit;
        return {kDrumBank, sfx ? kSfxKitProgram : c.program, true};
    }
    switch (style_) {
        case ResetStyle::Gm:
            return {0, c.program, false};
        case ResetStyle::Gs:
            return {c.bankMsb, c.program, false};
        case ResetStyle::Xg:
            // MSB 0 is the normal voice bank, its variations live in the LSB.
            return {c.bankMsb == 0 ? c.bankLsb : c.bankMsb, c.program, false};
    }
    return {0, c.program, false};
}

}  // namespace vesk::platform::midiout
