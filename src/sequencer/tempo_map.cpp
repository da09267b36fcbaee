#include "sequencer/tempo_map.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vesk::sequencer {

namespace {

// Far beyond any song (about 146 years) yet safe from overflow in every sum below.
constexpr std::int64_t kMaxNs = std::int64_t{1} << 62;

std::int64_t spanNs(std::uint64_t ticks, std::int64_t num, std::int64_t den) {
    const auto v = static_cast<unsigned __int128>(ticks) * static_cast<unsigned __int128>(num) /
                   static_cast<unsigned __int128>(den);
    return v > static_cast<unsigned __int128>(kMaxNs) ? kMaxNs : static_cast<std::int64_t>(v);
}

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    return b > kMaxNs - a ? kMaxNs : a + b;
}

}  // namespace

TempoMap::TempoMap() : segments_{{0, 500000, 0, 500000LL * 1000, 480}} {}

TempoMap TempoMap::metrical(std::uint16_t ticksPerQuarter, std::span<const TempoChange> changes) {
    TempoMap map;
    const std::int64_t den = std::max<std::uint16_t>(ticksPerQuarter, 1);
    map.ticksPerQuarter_ = static_cast<double>(den);
    map.segments_ = {{0, 500000, 0, 500000LL * 1000, den}};
    for (const TempoChange& c : changes) {
        if (c.microsPerQuarter == 0) {
            continue;
        }
        Segment& last = map.segments_.back();
        const std::int64_t num = std::int64_t{c.microsPerQuarter} * 1000;
        if (c.tick <= last.tick) {
            last.microsPerQuarter = c.microsPerQuarter;
            last.num = num;
            continue;
        }
        const std::int64_t ns = saturatingAdd(last.ns, spanNs(c.tick - last.tick, last.num, den));
        map.segments_.push_back({c.tick, c.microsPerQuarter, ns, num, den});
    }
    return map;
}

TempoMap TempoMap::smpte(int framesPerSecond, int ticksPerFrame) {
    TempoMap map;
    map.smpte_ = true;
    const std::int64_t tpf = std::max(ticksPerFrame, 1);
    const std::int64_t fps = std::max(framesPerSecond, 1);
    // 29 stands for 30000/1001 frames per second.
    const std::int64_t num = fps == 29 ? 1'000'000'000LL * 1001 : 1'000'000'000LL;
    const std::int64_t den = fps == 29 ? 30000 * tpf : fps * tpf;
    map.segments_ = {{0, 500000, 0, num, den}};
    map.ticksPerQuarter_ = 0.5e9 * static_cast<double>(den) / static_cast<double>(num);
    return map;
}

std::size_t TempoMap::segmentForTick(double tick) const {
    auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                               [](double t, const Segment& s) { return t < s.tick; });
    return it == segments_.begin() ? 0 : static_cast<std::size_t>(it - segments_.begin()) - 1;
}

std::size_t TempoMap::segmentForNs(std::int64_t ns) const {
    auto it = std::upper_bound(segments_.begin(), segments_.end(), ns,
                               [](std::int64_t v, const Segment& s) { return v < s.ns; });
    return it == segments_.begin() ? 0 : static_cast<std::size_t>(it - segments_.begin()) - 1;
}

std::int64_t TempoMap::nsAt(std::uint32_t tick) const {
    const Segment& s = segments_[segmentForTick(tick)];
    return saturatingAdd(s.ns, spanNs(tick - s.tick, s.num, s.den));
}

double TempoMap::nsAt(double tick) const {
    if (tick <= 0) {
        return 0;
    }
    const Segment& s = segments_[segmentForTick(tick)];
    return static_cast<double>(s.ns) + (tick - s.tick) * static_cast<double>(s.num) / s.den;
}

double TempoMap::tickAt(std::int64_t ns) const {
    if (ns <= 0) {
        return 0;
    }
    const Segment& s = segments_[segmentForNs(ns)];
    return s.tick + static_cast<double>(ns - s.ns) * static_cast<double>(s.den) / s.num;
}

std::uint32_t TempoMap::firstTickAtOrAfter(std::int64_t ns) const {
    if (ns <= 0) {
        return 0;
    }
    constexpr std::uint32_t kMaxTick = std::numeric_limits<std::uint32_t>::max();
    const auto estimate = static_cast<std::uint32_t>(
        std::clamp(std::floor(tickAt(ns)), 0.0, static_cast<double>(kMaxTick)));
    // Rounding puts the estimate at most a tick off, except where the song's time has
    // saturated and many ticks share one time: then the first of them is searched for.
    const std::uint64_t last = std::min<std::uint64_t>(estimate + 1ULL, kMaxTick);
    for (std::uint64_t t = estimate > 0 ? estimate - 1 : 0; t <= last; ++t) {
        const auto tick = static_cast<std::uint32_t>(t);
        if (nsAt(tick) >= ns && (tick == 0 || nsAt(tick - 1) < ns)) {
            return tick;
        }
    }
    // nsAt never decreases as the tick grows.
    std::uint64_t low = 0;
    std::uint64_t high = kMaxTick;
    while (low < high) {
        const std::uint64_t middle = low + (high - low) / 2;
        if (nsAt(static_cast<std::uint32_t>(middle)) >= ns) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return static_cast<std::uint32_t>(low);
}

std::uint32_t TempoMap::microsPerQuarterAt(double tick) const {
    return segments_[segmentForTick(tick)].microsPerQuarter;
}

std::optional<std::uint32_t> TempoMap::nextChangeAfter(double tick) const {
    const std::size_t i = segmentForTick(tick);
    if (i + 1 < segments_.size()) {
        return segments_[i + 1].tick;
    }
    return std::nullopt;
}

}  // namespace vesk::sequencer
