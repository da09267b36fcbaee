#pragma once
// The state of a looped song while it plays: how many jumps back to the loop start were
// made, and the fade at the end. The playback core asks it where the current pass ends and
// when the next fade step is due, and lets it shape the channel volumes it sends.
//
// The fade scales channel volume (controller 7) as it leaves the sequencer, so it works on
// the built-in synthesizer and on external modules alike: the song's own volume changes are
// scaled as they pass, and every fade step sends the scaled volume of each channel in use.
// When playback stops the channels get the song's own volume back, so the next song (or
// the next round of a repeat) does not start silent.

#include <array>
#include <cstdint>
#include <optional>

#include "platform/clock.h"
#include "platform/midi_port.h"
#include "sequencer/loop_plan.h"
#include "sequencer/tempo_map.h"

namespace vesk::sequencer {

class Output;

class LoopPlayback {
  public:
    static constexpr std::int64_t kFadeStepNs = 50'000'000;

    // Replaces the plan; the jumps made so far and the played position `playedNs` stay.
    void setPlan(std::optional<LoopPlan> plan, int passes, std::int64_t playedNs);
    const std::optional<LoopPlan>& plan() const { return plan_; }
    // The number of passes asked for (0: songs play as written), whether the song loops
    // or not.
    int passes() const { return passes_; }

    // Played time of a song time in the current pass.
    std::int64_t playedNs(std::int64_t songNs) const;
    // Moves to a moment of played time; gives the song time to play from.
    std::int64_t moveTo(std::int64_t playedNs);
    // A jump back to the loop start was made.
    void jumped() { ++jumps_; }

    // Where the current pass ends: at the loop end with a jump, or where playback stops.
    // None without a plan.
    struct Boundary {
        std::uint32_t tick = 0;
        bool jump = false;
    };
    std::optional<Boundary> boundary(const TempoMap& tempo) const;

    // The tick of the next fade step in the current pass.
    std::optional<std::uint32_t> nextFadeTick(const TempoMap& tempo) const;
    // Takes the next fade step, sending the channels' scaled volumes.
    void fadeStep(std::uint32_t channels, platform::Nanos due, Output& out);
    // Sends each channel in `channels` whose volume on the device differs from the song's
    // volume at the current fade.
    void applyFade(std::uint32_t channels, platform::Nanos due, Output& out);
    // Back to full volume: the song's own volumes are sent where the fade lowered them.
    void restoreVolumes(std::uint32_t channels, platform::Nanos due, Output& out);

    // A volume the song sends on `channel`: remembered, and given back scaled.
    std::uint8_t volumeToSend(int channel, std::uint8_t volume);

  private:
    std::int64_t fadeStepPlayedNs(int step) const;
    int lastFadeStep() const;

    std::optional<LoopPlan> plan_;
    int passes_ = 0;
    int jumps_ = 0;
    int nextFadeStep_ = 0;
    double gain_ = 1.0;
    // By channel index (port * 16 + channel): the song's volume per channel (General MIDI's 100
    // until it sets one), and what the device was last sent (-1: nothing yet).
    std::array<std::uint8_t, platform::kChannelIndexes> volume_ = [] {
        std::array<std::uint8_t, platform::kChannelIndexes> v{};
        v.fill(100);
        return v;
    }();
    std::array<int, platform::kChannelIndexes> sent_ = [] {
        std::array<int, platform::kChannelIndexes> v{};
        v.fill(-1);
        return v;
    }();
};

}  // namespace vesk::sequencer
