#pragma once
// The result an engine call leaves behind. One call of the engine sends several commands
// or device calls in a row, and when one fails the later ones usually fail only because of
// it, so the first failure is kept and the ones after it are logged and dropped.

#include <QString>
#include <cstdint>
#include <string_view>
#include <variant>

#include "platform/midi_out_error.h"
#include "sequencer/sequencer_errors.h"

namespace vesk::engine {

class CallResult {
  public:
    // A command sent to the sequencer and what it answered.
    void add(std::string_view command, sequencer::SequencerError error);
    // A call to a MIDI output device (`call` names it for the log).
    void add(std::string_view call, platform::MidiOutError error);

    // Whether any call was recorded at all.
    bool recorded() const { return recorded_; }
    bool failed() const { return !std::holds_alternative<std::monostate>(failure_); }
    // The first failure as the number callers of the engine read: the sequencer's or the
    // device's code, 0 when every call succeeded.
    std::int32_t code() const;
    // The first failure in words, "" when every call succeeded.
    QString message() const;

  private:
    template <typename Error>
    void keep(std::string_view what, Error error);

    std::variant<std::monostate, sequencer::SequencerError, platform::MidiOutError> failure_;
    bool recorded_ = false;
};

}  // namespace vesk::engine
