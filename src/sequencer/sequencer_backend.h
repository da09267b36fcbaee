#pragma once
// The sequencer behind the engine's command texts, for platforms without a command-string
// MIDI sequencer. Commands (keywords and aliases in any letter case):
//
//   open "<path>" [type <word>] alias <name>     read and check the file; opens no device
//   close <name> | close all
//   set <name> port <n>                          output device, -1 = default output
//   set <name> time format milliseconds          (or ms; the only format)
//   set <name> tempo <bpm>                       see sequencer_core.h for its meaning
//   set <name> transpose <semitones>             -12..12, see transposer.h
//   set <name> loops <passes>                    0..99, 0 = as written; see loop_plan.h
//   set <name> channels <muted> <soloed>         channel sets as numbers, bit n channel n;
//                                                see channel_filter.h
//   play <name> [from <ms>]
//   pause <name> | stop <name>
//   seek <name> to start | end | <ms>            stops there
//   status <name> position | songposition | length | mode | tempo | transpose | loops
//                                                songposition: in the song as written (loops)
//
// Replies are decimal milliseconds, beats per minute, or the mode words "playing",
// "paused" and "stopped"; positions and lengths of a looped song count played time.
// Several aliases may be open at once. sendString answers with the numbers of the
// SequencerError values (sequencer_errors.h).

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/midi_output.h"
#include "sequencer/command_sequencer.h"
#include "sequencer/sequencer_errors.h"
#include "sequencer/sequencer_session.h"

namespace vesk::sequencer {

// Files larger than this are refused rather than read into memory.
inline constexpr std::int64_t kMaxFileBytes = 64 * 1024 * 1024;

class SequencerBackend final : public sequencer::CommandSequencer {
  public:
    enum class Drive {
        RealTime,  // each playing session has a thread that sends its events on time
        Manual,    // the owner calls pump() (tests, offline rendering, benchmarks)
    };

    SequencerBackend(platform::MidiOutputService& output, platform::Clock& clock,
                     Drive drive = Drive::RealTime);
    ~SequencerBackend() override;

    int sendString(std::string_view command, char* reply, int replyLength) override;

    // Manual drive: sends every event of every session due at or before `now`, each with
    // its own deadline. May be called from another thread than the commands.
    void pump(platform::Nanos now);
    // The earliest time pump() has work; none while nothing plays.
    std::optional<platform::Nanos> nextDeadline() const;

  private:
    SequencerError execute(std::string_view command, std::string& reply);
    SequencerError open(const std::string& path, const std::string& alias);
    std::shared_ptr<SequencerSession> find(const std::string& alias) const;

    platform::MidiOutputService& output_;
    platform::Clock& clock_;
    const Drive drive_;
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<SequencerSession>> sessions_;
};

}  // namespace vesk::sequencer
