#pragma once
// Reads Standard MIDI Files from their bytes: formats 0, 1 and 2, the RIFF RMID wrapper,
// running status, System Exclusive in its F0 and F7 (continuation and escape) forms, meta
// events, metrical and SMPTE time. Damaged files give what can be read.

#include <cstdint>
#include <span>

#include "sequencer/sequencer_errors.h"
#include "sequencer/song.h"

namespace vesk::sequencer {

// At most this many track chunks are read; the header cannot even count more.
inline constexpr int kMaxTrackChunks = 65535;

// Fills `song`, or fails with NotMidiFile, BadHeader or NoTracks.
// Damage that still leaves something to play is noted in `song.damage` and is no failure.
// Time and memory are linear in the size of `bytes`, whatever they hold.
SequencerError readSmf(std::span<const std::uint8_t> bytes, Song& song);

}  // namespace vesk::sequencer
