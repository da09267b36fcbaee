#pragma once
// The sequencer as the engine sees it: one call that takes a command text
// ("open \"x.mid\" alias Tavorin", "status Tavorin mode", ...) and answers with a code.

#include <string_view>

namespace vesk::sequencer {

class CommandSequencer {
  public:
    virtual ~CommandSequencer() = default;
    // Runs `command`. Returns 0 on success, a non-zero error code otherwise. When
    // `replyLength` > 0 the reply is written into `reply`, NUL-terminated and cut to
    // `replyLength` - 1 characters (an empty text when there is none).
    // Safe to call from any one thread at a time; never throws.
    virtual int sendString(std::string_view command, char* reply, int replyLength) = 0;
};

}  // namespace vesk::sequencer
