#pragma once
// Every command text the engine sends goes through these two functions, so the reply
// buffer handling lives in one place.

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/call_result.h"
#include "sequencer/command_sequencer.h"
#include "sequencer/sequencer_errors.h"

namespace vesk::engine {

// Sends a command that gives no reply. The sequencer's numeric code becomes a typed error
// here, the one place the engine meets it.
sequencer::SequencerError sendCommand(sequencer::CommandSequencer& sequencer,
                                      std::string_view command);

// Sends a query with a reply buffer of `held` characters of which `given` are offered to
// the sequencer. `reply` gets the text up to its first NUL, or "" when the command failed
// (whatever the sequencer left in the buffer then is not an answer).
sequencer::SequencerError sendQuery(sequencer::CommandSequencer& sequencer,
                                    std::string_view command, int held, int given,
                                    std::string& reply);

// "open \"<path>\" alias <alias>": the path's bytes (see platform/file_path.h), each '"' and
// '\' in them escaped with a '\'.
std::string openCommand(const QString& path, std::string_view alias);

// The song's length in milliseconds as the sequencer measures it under its own alias
// "DataOnly" (open, time format, length, close); 0 when it cannot. With `loops` passes
// (not 0) a looped song measures its played length. Every command goes into `result`.
std::int32_t measurePlayTime(sequencer::CommandSequencer& sequencer, const QString& path,
                             CallResult& result, std::int32_t loops = 0);

}  // namespace vesk::engine
