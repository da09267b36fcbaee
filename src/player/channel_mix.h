#pragma once
// The listener's choice of channels to hear, and what the channel window shows of each
// channel the song uses: its number, instrument, meter and mute and solo marks.
//
// Mute and solo belong to the song being heard: another song starts with every channel
// sounding, while the same song repeated or played again keeps them.

#include <QString>
#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "platform/midi_out/channel_activity.h"

namespace vesk::player {

// How long a struck note takes to fall from its velocity to nothing on the meter, and the
// share of the velocity a note still held keeps.
inline constexpr std::chrono::milliseconds kMeterFall{600};
inline constexpr double kMeterHeldShare = 0.35;

// The meter of one channel at `now` (0..1), from what the output last did on it.
double meterLevel(const platform::midiout::ChannelReading& reading, platform::Nanos now);

struct ChannelRow {
    int channel = 0;  // port * 16 + channel, from 0
    QString number;   // as musicians count, from 1
    QString instrument;
    double level = 0;
    bool muted = false;
    bool soloed = false;
    bool audible = true;  // neither muted nor left out by another channel's solo
};

class ChannelMix {
  public:
    void toggleMute(int channel);
    void toggleSolo(int channel);
    void clear();
    // Bit n: channel n.
    std::uint32_t muted() const { return muted_; }
    std::uint32_t soloed() const { return soloed_; }
    bool audible(int channel) const;

    // A row for every channel the output has used since the song began.
    std::vector<ChannelRow> rows(const platform::midiout::ChannelActivity& activity,
                                 platform::Nanos now) const;

  private:
    std::uint32_t muted_ = 0;
    std::uint32_t soloed_ = 0;
};

}  // namespace vesk::player
