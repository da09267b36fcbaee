#include "sequencer/channel_filter.h"

namespace vesk::sequencer {

ChannelFilter::Change ChannelFilter::set(ChannelSet muted, ChannelSet soloed) {
    muted_ = muted;
    soloed_ = soloed;
    ChannelSet audible = soloed.any() ? soloed : ChannelSet().set();
    audible &= ~muted;
    const Change change{audible_ & ~audible, audible & ~audible_};
    audible_ = audible;
    return change;
}

}  // namespace vesk::sequencer
