#include "player/channel_mix.h"

#include <algorithm>

#include "player/instrument_names.h"

namespace vesk::player {

namespace {

std::uint32_t bit(int channel) {
    return channel >= 0 && channel < platform::midiout::kActivityChannels
               ? std::uint32_t{1} << channel
               : 0;
}

}  // namespace

double meterLevel(const platform::midiout::ChannelReading& reading, platform::Nanos now) {
    if (reading.velocity <= 0) {
        return 0;
    }
    const double strike = reading.velocity / 127.0;
    const auto elapsed = std::max(platform::Nanos{0}, now - reading.lastNoteOn);
    const double fall = 1.0 - static_cast<double>(elapsed.count()) /
                                  static_cast<double>(platform::Nanos{kMeterFall}.count());
    const double held = reading.sounding > 0 ? strike * kMeterHeldShare : 0;
    return std::clamp(std::max(strike * fall, held), 0.0, 1.0);
}

void ChannelMix::toggleMute(int channel) {
    muted_ ^= bit(channel);
}

void ChannelMix::toggleSolo(int channel) {
    soloed_ ^= bit(channel);
}

void ChannelMix::clear() {
    muted_ = 0;
    soloed_ = 0;
}

bool ChannelMix::audible(int channel) const {
    const std::uint32_t b = bit(channel);
    return (muted_ & b) == 0 && (soloed_ == 0 || (soloed_ & b) != 0);
}

std::vector<ChannelRow> ChannelMix::rows(const platform::midiout::ChannelActivity& activity,
                                         platform::Nanos now) const {
    std::vector<ChannelRow> out;
    for (int ch = 0; ch < platform::midiout::kActivityChannels; ++ch) {
        const platform::midiout::ChannelReading reading = activity.read(ch);
        if (!reading.used) {
            continue;
        }
        ChannelRow row;
        row.channel = ch;
        row.number = QString::number(ch + 1);
        row.instrument = instrumentName(reading.preset);
        row.muted = (muted_ & bit(ch)) != 0;
        row.soloed = (soloed_ & bit(ch)) != 0;
        row.audible = audible(ch);
        // A channel held back had its notes released; what it struck before is not shown
        // fading as if it still sounded.
        row.level = row.audible ? meterLevel(reading, now) : 0.0;
        out.push_back(row);
    }
    return out;
}

}  // namespace vesk::player
