#pragma once
// The playback logic of one song, free of threads and of real time: told the clock's time,
// it sends what is due, each message with its exact deadline. The real-time thread, the
// tests, the offline renderer and the benchmarks all run this same code.
//
// Song time. Positions and lengths are song time: the time the song reaches at the file's
// own tempo map, so a position names a place in the music. A tempo set by the user
// (setTempo) changes how fast song time runs against the clock, not what it measures: at
// double tempo the position advances twice as fast as the clock, and a song of 60 000 ms
// still ends at 60 000 ms. The set tempo replaces the tempo in force at the current
// position until playback reaches the file's next tempo event, which then takes over;
// jumps keep it in force from the new position on.
//
// Deadlines are computed from one anchor (clock time and song position), never by adding
// up intervals, so timing does not drift however long a song runs.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/clock.h"
#include "sequencer/channel_filter.h"
#include "sequencer/loop_playback.h"
#include "sequencer/song.h"
#include "sequencer/transposer.h"

namespace vesk::sequencer {

class Output {
  public:
    virtual ~Output() = default;
    virtual void send(std::span<const std::uint8_t> message, platform::Nanos due,
                      platform::MidiPort port) = 0;
};

enum class PlayMode { Stopped, Playing, Paused };

class SequencerCore {
  public:
    explicit SequencerCore(std::shared_ptr<const Song> song);

    const Song& song() const { return *song_; }

    // State as of `now`; a song that has played to its end reads stopped at its length.
    PlayMode mode(platform::Nanos now) const;
    std::int64_t positionNs(platform::Nanos now) const;
    // Where in the song as written playback is: after a loop jump, back inside the loop.
    std::int64_t songPositionNs(platform::Nanos now) const;
    // With a loop in effect, positions and the length are played time (loop_plan.h).
    std::int64_t lengthNs() const;
    // Tempo in force at `now` in beats per minute, rounded.
    int tempoBpm(platform::Nanos now) const;

    // Every command first sends what fell due up to `now`. Messages a command sends itself
    // (silencing, chasing) are due at `now`.

    // Plays from the current position: resumes after pause, continues after stop, and
    // starts again from the beginning once the song has ended.
    void play(platform::Nanos now, Output& out);
    // Jumps to `ns` (clamped to the song) and plays, with the state before it chased.
    void playFrom(std::int64_t ns, platform::Nanos now, Output& out);
    void pause(platform::Nanos now, Output& out);
    // Stops where it is.
    void stop(platform::Nanos now, Output& out);
    // Stops and moves to `ns` (clamped to the song).
    void seek(std::int64_t ns, platform::Nanos now, Output& out);
    // `bpm` > 0.
    void setTempo(int bpm, platform::Nanos now, Output& out);
    // Moves the notes that start from `now` on by `semitones` (+-12, drums never); notes
    // already sounding end where they began.
    void setTranspose(int semitones, platform::Nanos now, Output& out);
    int transpose() const { return transposer_.semitones(); }
    // Plays a song's looped part `passes` times and fades (0: as written). Playback goes
    // on from the same place in the song.
    void setLoops(int passes, platform::Nanos now, Output& out);
    int loops() const { return loop_.passes(); }
    // Lets only the chosen channels through (see channel_filter.h). A channel that falls
    // silent has its sounding notes released at once; one that sounds again gets its
    // controllers, program and bend back as a chase would set them at the position.
    void setChannelFilter(ChannelSet muted, ChannelSet soloed, platform::Nanos now, Output& out);
    // Stops and silences, for closing the session or leaving a device.
    void halt(platform::Nanos now, Output& out);

    // Sends every event due at or before `now`; ends the song when its end is reached.
    void pump(platform::Nanos now, Output& out);
    // When pump next has something to do; nothing while paused or stopped.
    std::optional<platform::Nanos> nextDeadline() const;

  private:
    struct Position {
        double tick;
        std::int64_t ns;
    };
    Position positionAt(platform::Nanos now) const;
    bool overrideActive() const;
    platform::Nanos wallForTick(std::uint32_t tick) const;
    platform::Nanos overrideEndWall() const;
    void freeze(platform::Nanos now);
    void jumpTo(std::int64_t ns);
    void jumpToPlayed(std::int64_t playedNs);
    enum class StepKind { Event, Fade, LoopBack, End };
    struct Step {
        platform::Nanos due;
        StepKind kind;
        std::uint32_t tick;
    };
    std::optional<Step> nextStep() const;
    void loopBack(platform::Nanos due, Output& out);
    void reanchorOverride();
    void finish(platform::Nanos end, std::uint32_t tick, Output& out);
    void silence(platform::Nanos now, Output& out);
    // Sets the state the events before the cursor left: every used channel and (with
    // `withSysEx`) the System Exclusive messages, or only the channels in `only`.
    void chase(platform::Nanos now, Output& out, bool withSysEx = true,
               const ChannelSet* only = nullptr);
    void releaseChannel(int channel, platform::Nanos now, Output& out);
    // `channel` is the channel index the message is for.
    void sendTracked(std::span<const std::uint8_t> message, int channel, platform::Nanos due,
                     Output& out);
    void dispatch(const SongEvent& e, platform::Nanos due, Output& out);
    void sendSysEx(std::span<const std::uint8_t> message, platform::MidiPort port,
                   platform::Nanos due, Output& out);

    std::shared_ptr<const Song> song_;
    std::int64_t lengthNs_;
    PlayMode mode_ = PlayMode::Stopped;
    std::size_t cursor_ = 0;
    platform::Nanos anchorWall_{0};
    double anchorTick_ = 0;
    std::int64_t anchorNs_ = 0;
    bool atEnd_ = false;
    bool needChase_ = false;
    int overrideBpm_ = 0;
    double overrideNsPerTick_ = 0;
    std::optional<std::uint32_t> overrideEnd_;
    // By channel index (port * 16 + channel).
    std::array<std::uint8_t, platform::kChannelIndexes * 128> sounding_{};
    std::array<std::uint8_t, platform::kChannelIndexes> pedal_{};
    Transposer transposer_;
    LoopPlayback loop_;
    ChannelFilter filter_;
};

}  // namespace vesk::sequencer
