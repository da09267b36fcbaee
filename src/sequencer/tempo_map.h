#pragma once
// Converts between ticks of a song and its own song time (nanoseconds from the start, as
// the file's tempo events lay it out). Immutable once built, so sessions on different
// threads share it freely.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vesk::sequencer {

struct TempoChange {
    std::uint32_t tick = 0;
    std::uint32_t microsPerQuarter = 500000;
};

class TempoMap {
  public:
    // 120 beats per minute at 480 ticks per quarter note.
    TempoMap();

    // `changes` sorted by tick; of several at one tick the last is in force. Tempo 0 is
    // ignored (it would stop time).
    static TempoMap metrical(std::uint16_t ticksPerQuarter, std::span<const TempoChange> changes);
    // SMPTE time: `framesPerSecond` 24, 25, 29 (meaning 29.97 drop-frame) or 30. Tempo
    // events do not apply; the nominal tempo is 120 beats per minute, a quarter note being
    // half a second.
    static TempoMap smpte(int framesPerSecond, int ticksPerFrame);

    bool isSmpte() const { return smpte_; }
    // Ticks in a quarter note (for SMPTE time, in half a second).
    double ticksPerQuarter() const { return ticksPerQuarter_; }

    // Song time of a tick, rounded down; saturates far beyond any real song.
    std::int64_t nsAt(std::uint32_t tick) const;
    double nsAt(double tick) const;
    // The (fractional) tick reached at a song time.
    double tickAt(std::int64_t ns) const;
    // The first whole tick whose song time is at or after `ns`.
    std::uint32_t firstTickAtOrAfter(std::int64_t ns) const;
    // Tempo in force at `tick` (a change at exactly `tick` is in force).
    std::uint32_t microsPerQuarterAt(double tick) const;
    // The first tempo change strictly after `tick`.
    std::optional<std::uint32_t> nextChangeAfter(double tick) const;

    std::size_t segmentCount() const { return segments_.size(); }

  private:
    struct Segment {
        std::uint32_t tick;
        std::uint32_t microsPerQuarter;
        std::int64_t ns;
        std::int64_t num;  // nanoseconds per tick = num / den
        std::int64_t den;
    };
    std::size_t segmentForTick(double tick) const;
    std::size_t segmentForNs(std::int64_t ns) const;

    std::vector<Segment> segments_;
    double ticksPerQuarter_ = 480;
    bool smpte_ = false;
};

}  // namespace vesk::sequencer
