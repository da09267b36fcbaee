#include "sequencer/loop_plan.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

namespace vesk::sequencer {

namespace {

constexpr std::uint8_t kMarkerMeta = 0x06;
constexpr std::uint8_t kLoopController = 111;

bool sameText(std::span<const std::uint8_t> bytes, std::string_view word) {
    // Editors pad marker texts with spaces or a trailing NUL now and then.
    while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == 0)) {
        bytes = bytes.first(bytes.size() - 1);
    }
    if (bytes.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(word[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<LoopPoints> markedLoop(const Song& song) {
    std::optional<std::uint32_t> start;
    std::optional<std::uint32_t> end;
    for (const SongEvent& e : song.events) {
        if (!e.isMeta() || e.data1 != kMarkerMeta) {
            continue;
        }
        const auto text = song.blobBytes(e);
        if (!start && !end && sameText(text, "loopStart")) {
            start = e.tick;
        } else if (!end && sameText(text, "loopEnd")) {
            end = e.tick;
        }
    }
    if (!start && !end) {
        return std::nullopt;
    }
    return LoopPoints{start.value_or(0), end.value_or(song.endTick)};
}

std::optional<LoopPoints> controllerLoop(const Song& song) {
    for (const SongEvent& e : song.events) {
        if ((e.status & 0xF0) == 0xB0 && e.data1 == kLoopController) {
            return LoopPoints{e.tick, song.endTick};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<LoopPoints> findLoopPoints(const Song& song) {
    std::optional<LoopPoints> points = markedLoop(song);
    if (!points) {
        points = controllerLoop(song);
    }
    if (!points || points->endTick <= points->startTick ||
        song.tempo.nsAt(points->endTick) - song.tempo.nsAt(points->startTick) < kMinLoopNs) {
        return std::nullopt;
    }
    return points;
}

std::optional<LoopPlan> planLoop(const Song& song, int passes, std::int64_t fadeNs) {
    if (passes <= 0) {
        return std::nullopt;
    }
    const std::optional<LoopPoints> points = findLoopPoints(song);
    if (!points) {
        return std::nullopt;
    }
    LoopPlan plan;
    plan.startTick = points->startTick;
    plan.endTick = points->endTick;
    plan.startNs = song.tempo.nsAt(points->startTick);
    plan.endNs = song.tempo.nsAt(points->endTick);
    plan.passes = std::min(passes, kMaxLoopPasses);
    plan.fadeNs = std::max<std::int64_t>(fadeNs, 0);
    plan.sysExInLoop = std::any_of(song.events.begin(), song.events.end(), [&](const SongEvent& e) {
        return e.isSysEx() && e.tick >= plan.startTick && e.tick < plan.endTick;
    });
    return plan;
}

LoopPlace placeInLoop(const LoopPlan& plan, std::int64_t playedNs) {
    playedNs = std::clamp<std::int64_t>(playedNs, 0, plan.playedLengthNs());
    if (playedNs < plan.endNs) {
        return {0, playedNs};
    }
    const std::int64_t intoLoop = playedNs - plan.startNs;
    auto jumps = static_cast<int>(intoLoop / plan.loopNs());
    std::int64_t songNs = plan.startNs + intoLoop % plan.loopNs();
    // The very end of a pass plays out before its jump: the stop at the played length
    // may fall exactly on a loop end.
    if (songNs == plan.startNs && playedNs == plan.playedLengthNs()) {
        --jumps;
        songNs = plan.endNs;
    }
    return {jumps, songNs};
}

double fadeGain(const LoopPlan& plan, std::int64_t playedNs) {
    const std::int64_t intoFade = playedNs - plan.fadeStartNs();
    if (intoFade <= 0) {
        return 1.0;
    }
    if (intoFade >= plan.fadeNs) {
        return 0.0;
    }
    return 1.0 - static_cast<double>(intoFade) / static_cast<double>(plan.fadeNs);
}

std::uint8_t fadedVolume(std::uint8_t volume, double gain) {
    return static_cast<std::uint8_t>(std::lround(volume * std::clamp(gain, 0.0, 1.0)));
}

}  // namespace vesk::sequencer
