#pragma once
// Every command text the engine sends goes through these two functions, so the reply
// buffer handling lives in one place.

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "sequencer/command_sequencer.h"

namespace vesk::engine {

// Sends a command that gives no reply; returns its result code.
int sendCommand(sequencer::CommandSequencer& sequencer, std::string_view command);

// Sends a query with a reply buffer of `held` characters of which `given` are offered to
// the sequencer. `reply` gets the text up to its first NUL, or "" when the command failed
// (whatever the sequencer left in the buffer then is not an answer).
int sendQuery(sequencer::CommandSequencer& sequencer, std::string_view command, int held, int given,
              std::string& reply);

// "open \"<path>\" alias <alias>": the path's bytes (see platform/file_path.h), each '"' and
// '\' in them escaped with a '\'.
std::string openCommand(const QString& path, std::string_view alias);

// The song's length in milliseconds as the sequencer measures it under its own alias
// "DataOnly" (open, time format, length, close); 0 when it cannot. Each command's result
// code is written to `ret` in turn.
std::int32_t measurePlayTime(sequencer::CommandSequencer& sequencer, const QString& path,
                             std::int32_t& ret);

}  // namespace vesk::engine
