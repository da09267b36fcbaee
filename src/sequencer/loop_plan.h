#pragma once
// Loop points of a song and how a looped song is played: the intro, the looped part a
// number of times, then the looped part once more while it fades to silence. Pure
// functions of the song; the playback core applies the plan (loop_playback.h).
//
// Marks, in order of preference:
//   - marker meta events "loopStart" and "loopEnd" (any letter case); a start without an
//     end loops to the song's end, an end without a start loops from the beginning;
//   - controller 111 on any channel: the loop starts at its first occurrence and ends at
//     the song's end.
//
// Played time counts everything heard: it runs on across each jump, so a position in
// played time names one moment of the whole performance.

#include <cstdint>
#include <optional>

#include "sequencer/song.h"

namespace vesk::sequencer {

inline constexpr int kMaxLoopPasses = 99;
inline constexpr std::int64_t kDefaultFadeNs = 5'000'000'000;
// A shorter looped part is not music but a damaged mark: playing it would mean thousands
// of jumps in a few seconds.
inline constexpr std::int64_t kMinLoopNs = 200'000'000;

struct LoopPoints {
    std::uint32_t startTick = 0;
    std::uint32_t endTick = 0;
};

// The song's loop, if it marks one that encloses at least kMinLoopNs.
std::optional<LoopPoints> findLoopPoints(const Song& song);

struct LoopPlan {
    std::uint32_t startTick = 0;
    std::uint32_t endTick = 0;
    std::int64_t startNs = 0;  // song time of the marks
    std::int64_t endNs = 0;
    int passes = 1;
    std::int64_t fadeNs = kDefaultFadeNs;
    // The looped part holds System Exclusive messages, so a jump must send those before
    // its start again.
    bool sysExInLoop = false;

    std::int64_t loopNs() const { return endNs - startNs; }
    std::int64_t fadeStartNs() const { return startNs + passes * loopNs(); }
    std::int64_t playedLengthNs() const { return fadeStartNs() + fadeNs; }
};

// No plan (the song plays as written) when `passes` is 0 or the song marks no loop.
// `passes` is clamped to kMaxLoopPasses.
std::optional<LoopPlan> planLoop(const Song& song, int passes, std::int64_t fadeNs);

// Where a moment of played time falls: the number of jumps made before it and the song
// time it plays. Times beyond the played length give the place where playback stops.
struct LoopPlace {
    int jumps = 0;
    std::int64_t songNs = 0;
};
LoopPlace placeInLoop(const LoopPlan& plan, std::int64_t playedNs);

// Volume factor at a moment of played time: 1 until the fade starts, then falling in a
// straight line to 0 at the played length.
double fadeGain(const LoopPlan& plan, std::int64_t playedNs);

// A channel volume (controller 7) scaled by a fade factor.
std::uint8_t fadedVolume(std::uint8_t volume, double gain);

}  // namespace vesk::sequencer
