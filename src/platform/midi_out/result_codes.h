#pragma once
// Result codes of the MIDI output layer. They keep the values the program's MIDI output
// service has always reported, so a code seen in the engine means the same thing everywhere.

namespace vesk::platform::midiout {

inline constexpr int kOk = 0;
inline constexpr int kError = 1;          // the device failed for a reason of its own
inline constexpr int kBadDevice = 2;      // no device has this number
inline constexpr int kNoDriver = 6;       // no sound output could be opened
inline constexpr int kInvalidParam = 11;  // the bytes are not a complete MIDI message
inline constexpr int kNotReady = 67;      // the device is busy (its queue is full)

}  // namespace vesk::platform::midiout
