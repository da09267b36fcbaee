#pragma once
// What can go wrong with a MIDI output device. The numbers are the codes the program's MIDI
// output service has always reported (0 is success), so a code the engine shows means the
// same thing everywhere.

#include <QString>

namespace vesk::platform {

// A result nobody looks at is a lost error, so the compiler refuses to drop one. (The
// formatter misreads the attribute and would glue the brace to the name.)
// clang-format off
enum class [[nodiscard]] MidiOutError {
    None = 0,
    Failed = 1,         // the device failed for a reason of its own
    NoSuchDevice = 2,   // no device has this number
    NoSoundOutput = 6,  // no sound output could be opened
    BadMessage = 11,    // the bytes are not a complete MIDI message
    Busy = 67,          // the device is busy (its queue is full)
};
// clang-format on

// The number reported to callers that show device results as codes.
constexpr int deviceCode(MidiOutError error) {
    return static_cast<int>(error);
}

// A short English text for logs, such as "no such MIDI output device".
QString errorMessage(MidiOutError error);

}  // namespace vesk::platform
