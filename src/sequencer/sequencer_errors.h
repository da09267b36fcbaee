#pragma once
// Result codes of the sequencer back end. 0 is success; every failure has its own code.

namespace vesk::sequencer {

inline constexpr int kOk = 0;
inline constexpr int kErrUnknownCommand = 301;  // the first word names no command
inline constexpr int kErrBadSyntax = 302;       // missing, unknown or extra words
inline constexpr int kErrUnknownAlias = 303;    // no session open under that alias
inline constexpr int kErrAliasInUse = 304;      // open with an alias already open
inline constexpr int kErrFileNotFound = 305;    // no such file
inline constexpr int kErrFileUnreadable = 306;  // the file exists but cannot be read
inline constexpr int kErrFileTooLarge = 307;    // larger than any MIDI file can sensibly be
inline constexpr int kErrNotMidiFile = 308;     // no MIDI header (nor RIFF RMID wrapper)
inline constexpr int kErrBadHeader = 309;       // header too short or time division 0
inline constexpr int kErrNoTracks = 310;        // a header but no track chunk
inline constexpr int kErrBadNumber = 311;    // a number that is missing, malformed or out of range
inline constexpr int kErrDeviceOpen = 312;   // the output device could not be opened
inline constexpr int kErrUnsupported = 313;  // a valid request this sequencer does not serve
inline constexpr int kErrInternal = 314;     // out of memory or another unexpected failure

}  // namespace vesk::sequencer
