#pragma once
// How a sound module chooses instruments: the reset it last received (GM, GS or XG) decides
// what bank select means and which channels play drums. FluidSynth fixes this at creation,
// so the built-in synthesizer keeps the state here and selects presets itself.

#include <array>
#include <cstdint>
#include <span>

#include "platform/midi_port.h"

namespace vesk::platform::midiout {

enum class ResetStyle { Gm, Gs, Xg };

// The synthesizer's channels: port A on 0-15, port B on 16-31.
inline constexpr int kChannels = kChannelIndexes;
inline constexpr int kDrumChannel = 9;  // channel 10 of a port, as musicians count
inline constexpr int kDrumBank = 128;   // where a SoundFont keeps its drum kits

// What a channel should play: a SoundFont bank and program, and whether it is a drum part.
struct PresetChoice {
    int bank = 0;
    int program = 0;
    bool drum = false;
    friend bool operator==(const PresetChoice&, const PresetChoice&) = default;
};

// What a System Exclusive message means to the instrument choice.
struct SysExMeaning {
    enum class Kind { Other, Reset, RhythmPart } kind = Kind::Other;
    // For Reset the style it sets; for RhythmPart the family of the message, which only a
    // module in that style understands.
    ResetStyle style = ResetStyle::Gs;
    int channel = -1;   // for RhythmPart: the channel within the port the message came on
    bool drum = false;  // for RhythmPart
};

// Recognises GM System On, GS Reset (any device id), XG System On, GS "use for rhythm
// part" and XG part mode. Everything else is Kind::Other.
SysExMeaning classifySysEx(std::span<const std::uint8_t> message);

class InstrumentMap {
  public:
    // Before any reset the map behaves like a GS module, which is also how FluidSynth
    // starts and what most songs expect.
    InstrumentMap();

    ResetStyle style() const { return style_; }
    // A reset: every channel back to program 0, bank 0, drums where the style puts them.
    void reset(ResetStyle style);

    // Bank select is remembered and takes effect at the next program change, as on
    // hardware. Other controllers do not concern the map.
    void controlChange(int channel, int controller, int value);
    // The instrument a program change on `channel` asks for.
    PresetChoice programChange(int channel, int program);
    // Makes a channel a drum or a normal part (GS rhythm part, XG part mode) and returns
    // its instrument, the program kept.
    PresetChoice setDrumPart(int channel, bool drum);

    PresetChoice current(int channel) const;

  private:
    struct Channel {
        int bankMsb = 0;
        int bankLsb = 0;
        int program = 0;
        bool drum = false;
    };
    PresetChoice choose(const Channel& c) const;

    ResetStyle style_ = ResetStyle::Gs;
    std::array<Channel, kChannels> channels_{};
};

}  // namespace vesk::platform::midiout
