#pragma once
// Names the exception being handled, for a log line: its what() text, or its type when it
// is not a std::exception. Call it only inside a catch block.

#include <QString>

namespace vesk::sequencer {

QString describeCurrentException();

}  // namespace vesk::sequencer
