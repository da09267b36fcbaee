#pragma once
// Which channels the sequencer lets through to its output: the listener mutes channels and
// picks solo channels; while any channel is soloed only soloed ones sound, and a mute wins
// over a solo. Channels are numbered port * 16 + channel, so a song on two ports has
// kMaxChannels of them.

#include <bitset>
#include <cstdint>

namespace vesk::sequencer {

inline constexpr int kMaxChannels = 32;
using ChannelSet = std::bitset<kMaxChannels>;

class ChannelFilter {
  public:
    struct Change {
        ChannelSet silenced;  // channels that sounded and no longer do
        ChannelSet restored;  // channels that were held back and sound again
    };

    // Takes the new mute and solo choices and says which channels changed hands.
    Change set(ChannelSet muted, ChannelSet soloed);

    bool audible(int channel) const {
        return channel < 0 || channel >= kMaxChannels ||
               audible_.test(static_cast<std::size_t>(channel));
    }
    ChannelSet muted() const { return muted_; }
    ChannelSet soloed() const { return soloed_; }

  private:
    ChannelSet muted_;
    ChannelSet soloed_;
    ChannelSet audible_ = ChannelSet().set();
};

}  // namespace vesk::sequencer
