#pragma once
// What can go wrong in the sequencer back end. The numbers are the result codes of the
// command-text interface (0 is success): SequencerBackend::sendString hands them out as
// they are, and the engine turns a code it receives back into this type. A code another
// command-string sequencer gives passes through unnamed, with its number kept.

#include <QString>

namespace vesk::sequencer {

// A result nobody looks at is a lost error, so the compiler refuses to drop one. (The
// formatter misreads the attribute and would glue the brace to the name.)
// clang-format off
enum class [[nodiscard]] SequencerError {
    None = 0,
    UnknownCommand = 301,  // the first word names no command
    BadSyntax = 302,       // missing, unknown or extra words
    UnknownAlias = 303,    // no session open under that alias
    AliasInUse = 304,      // open with an alias already open
    FileNotFound = 305,    // no such file
    FileUnreadable = 306,  // the file exists but cannot be read
    FileTooLarge = 307,    // larger than any MIDI file can sensibly be
    NotMidiFile = 308,     // no MIDI header (nor RIFF RMID wrapper)
    BadHeader = 309,       // header too short or time division 0
    NoTracks = 310,        // a header but no track chunk
    BadNumber = 311,       // a number that is missing, malformed or out of range
    DeviceOpen = 312,      // the output device could not be opened
    Unsupported = 313,     // a valid request this sequencer does not serve
    Internal = 314,        // out of memory or another unexpected failure
};
// clang-format on

// The number the command-text interface reports for `error`.
constexpr int commandCode(SequencerError error) {
    return static_cast<int>(error);
}

// A short English text for logs and command-line tools, such as "no such file"; an unnamed
// code gives "sequencer error <number>".
QString errorMessage(SequencerError error);

}  // namespace vesk::sequencer
