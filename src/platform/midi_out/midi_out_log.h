#pragma once

#include <QLoggingCategory>

namespace vesk::platform::midiout {

Q_DECLARE_LOGGING_CATEGORY(lcMidiOut)

}  // namespace vesk::platform::midiout
