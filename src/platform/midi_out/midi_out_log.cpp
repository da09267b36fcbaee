#include "platform/midi_out/midi_out_log.h"

namespace vesk::platform::midiout {

Q_LOGGING_CATEGORY(lcMidiOut, "vesk.platform.midiout", QtInfoMsg)

}  // namespace vesk::platform::midiout
