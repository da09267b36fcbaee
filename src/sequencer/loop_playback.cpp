#include "sequencer/loop_playback.h"

#include <algorithm>

#include "sequencer/sequencer_core.h"

namespace vesk::sequencer {

using platform::Nanos;

namespace {
constexpr std::uint8_t kVolume = 7;
constexpr std::uint8_t kAllSoundOff = 120;
}  // namespace

void LoopPlayback::setPlan(std::optional<LoopPlan> plan, int passes, std::int64_t playedNs) {
    plan_ = std::move(plan);
    passes_ = passes;
    if (!plan_) {
        jumps_ = 0;
        nextFadeStep_ = 0;
        gain_ = 1.0;
        return;
    }
    const int fadeSteps = lastFadeStep();
    const std::int64_t intoFade = playedNs - plan_->fadeStartNs();
    nextFadeStep_ =
        intoFade <= 0
            ? 0
            : std::min(fadeSteps, static_cast<int>((intoFade + kFadeStepNs - 1) / kFadeStepNs));
    gain_ = fadeGain(*plan_, playedNs);
}

std::int64_t LoopPlayback::playedNs(std::int64_t songNs) const {
    if (!plan_) {
        return songNs;
    }
    // A jump may be due but not yet made: the loop end is as far as a pass goes.
    return std::min(std::min(songNs, plan_->endNs) + jumps_ * plan_->loopNs(),
                    plan_->playedLengthNs());
}

std::int64_t LoopPlayback::moveTo(std::int64_t playedNs) {
    if (!plan_) {
        return playedNs;
    }
    const LoopPlace place = placeInLoop(*plan_, playedNs);
    jumps_ = place.jumps;
    setPlan(plan_, passes_, std::min(playedNs, plan_->playedLengthNs()));
    return place.songNs;
}

std::optional<LoopPlayback::Boundary> LoopPlayback::boundary(const TempoMap& tempo) const {
    if (!plan_) {
        return std::nullopt;
    }
    const std::int64_t stopNs = plan_->playedLengthNs() - jumps_ * plan_->loopNs();
    if (stopNs <= plan_->endNs) {
        return Boundary{tempo.firstTickAtOrAfter(stopNs), false};
    }
    return Boundary{plan_->endTick, true};
}

int LoopPlayback::lastFadeStep() const {
    return static_cast<int>((plan_->fadeNs + kFadeStepNs - 1) / kFadeStepNs);
}

std::int64_t LoopPlayback::fadeStepPlayedNs(int step) const {
    return std::min(plan_->fadeStartNs() + step * kFadeStepNs, plan_->playedLengthNs());
}

std::optional<std::uint32_t> LoopPlayback::nextFadeTick(const TempoMap& tempo) const {
    if (!plan_ || nextFadeStep_ > lastFadeStep()) {
        return std::nullopt;
    }
    const std::int64_t songNs = fadeStepPlayedNs(nextFadeStep_) - jumps_ * plan_->loopNs();
    if (songNs > plan_->endNs) {
        return std::nullopt;
    }
    return tempo.firstTickAtOrAfter(songNs);
}

void LoopPlayback::fadeStep(std::uint32_t channels, Nanos due, Output& out) {
    gain_ = fadeGain(*plan_, fadeStepPlayedNs(nextFadeStep_));
    ++nextFadeStep_;
    applyFade(channels, due, out);
}

void LoopPlayback::applyFade(std::uint32_t channels, Nanos due, Output& out) {
    for (std::size_t ch = 0; ch < platform::kChannelIndexes; ++ch) {
        if (!(channels & (1u << ch))) {
            continue;
        }
        const std::uint8_t target = fadedVolume(volume_[ch], gain_);
        // A device never sent a volume holds the song's own: nothing to say at full volume.
        if (sent_[ch] < 0 ? gain_ >= 1.0 : sent_[ch] == target) {
            continue;
        }
        const std::uint8_t msg[] = {static_cast<std::uint8_t>(0xB0 | (ch % 16)), kVolume, target};
        out.send(msg, due, platform::portOfIndex(static_cast<int>(ch)));
        sent_[ch] = target;
    }
}

void LoopPlayback::restoreVolumes(std::uint32_t channels, Nanos due, Output& out) {
    for (std::size_t ch = 0; ch < platform::kChannelIndexes; ++ch) {
        if ((channels & (1u << ch)) && sent_[ch] >= 0 && sent_[ch] != volume_[ch]) {
            // Cut what still rings first: a release tail would come back louder.
            const auto status = static_cast<std::uint8_t>(0xB0 | (ch % 16));
            const std::uint8_t soundOff[] = {status, kAllSoundOff, 0};
            const std::uint8_t volume[] = {status, kVolume, volume_[ch]};
            out.send(soundOff, due, platform::portOfIndex(static_cast<int>(ch)));
            out.send(volume, due, platform::portOfIndex(static_cast<int>(ch)));
            sent_[ch] = volume_[ch];
        }
    }
    // The fade reached stays: playing on from here lowers the volumes again.
}

std::uint8_t LoopPlayback::volumeToSend(int channel, std::uint8_t volume) {
    const auto ch = static_cast<std::size_t>(channel);
    volume_[ch] = volume;
    const std::uint8_t scaled = fadedVolume(volume, gain_);
    sent_[ch] = scaled;
    return scaled;
}

}  // namespace vesk::sequencer
