#include "player/player.h"

namespace vesk::player {

std::vector<ChannelRow> Player::channelRows() const {
    if (services_.channelActivity == nullptr || services_.playbackClock == nullptr) {
        return {};
    }
    return channelMix_.rows(*services_.channelActivity, services_.playbackClock->now());
}

void Player::toggleChannelMute(int channel) {
    channelMix_.toggleMute(channel);
    engine_.setChannelFilter(channelMix_.muted(), channelMix_.soloed());
}

void Player::toggleChannelSolo(int channel) {
    channelMix_.toggleSolo(channel);
    engine_.setChannelFilter(channelMix_.muted(), channelMix_.soloed());
}

void Player::restartChannels(const intake::SongEntry& entry) {
    const QString song = entry.container + u'/' + entry.name;
    if (song == channelsSong_) {
        return;
    }
    channelsSong_ = song;
    channelMix_.clear();
    engine_.setChannelFilter(0, 0);
    if (services_.channelActivity != nullptr) {
        services_.channelActivity->restart();
    }
}

}  // namespace vesk::player
