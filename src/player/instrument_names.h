#pragma once
// The names listeners know instruments by: the General MIDI sound set for melodic parts,
// the common kit names for drum parts, and the bank when a module plays a variation.

#include <QString>

#include "platform/midi_out/instrument_map.h"

namespace vesk::player {

QString instrumentName(const platform::midiout::PresetChoice& preset);

}  // namespace vesk::player
