#pragma once
// Shared pieces of the synthesizer tests: the small SoundFont and reading rendered audio.

#include <QString>
#include <cstdint>
#include <vector>

#include "platform/midi_out/offline_synth.h"

namespace vesk::platform::midiout::test {

inline QString smallSoundFont() {
    return QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
}

// An offline synthesizer on the small SoundFont; fails the test when it does not load.
std::unique_ptr<OfflineSynth> makeOfflineSynth(int period = 512);

// Index of the first stereo frame from `from` on whose left or right sample is louder than
// `threshold` (well above the synthesizer's idle noise), or -1.
std::int64_t firstSoundingFrame(const std::vector<float>& interleaved, std::int64_t from = 0,
                                float threshold = 1e-4f);

// Largest absolute sample over frames [from, to).
float peak(const std::vector<float>& interleaved, std::int64_t from, std::int64_t to);

}  // namespace vesk::platform::midiout::test
