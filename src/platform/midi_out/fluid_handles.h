#pragma once
// Owners for FluidSynth's C handles, and the one place where FluidSynth results are checked.

#include <fluidsynth.h>

#include <memory>

namespace vesk::platform::midiout {

struct FluidSettingsDeleter {
    void operator()(fluid_settings_t* p) const { delete_fluid_settings(p); }
};
struct FluidSynthDeleter {
    void operator()(fluid_synth_t* p) const { delete_fluid_synth(p); }
};
struct FluidAudioDriverDeleter {
    void operator()(fluid_audio_driver_t* p) const { delete_fluid_audio_driver(p); }
};

using FluidSettingsPtr = std::unique_ptr<fluid_settings_t, FluidSettingsDeleter>;
using FluidSynthPtr = std::unique_ptr<fluid_synth_t, FluidSynthDeleter>;
struct FluidPlayerDeleter {
    void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};

using FluidPlayerPtr = std::unique_ptr<fluid_player_t, FluidPlayerDeleter>;
using FluidAudioDriverPtr = std::unique_ptr<fluid_audio_driver_t, FluidAudioDriverDeleter>;

// How a failed call is reported. Calls on the audio thread fail routinely (a note on a
// channel without an instrument) and must not log: logging there could block the sound.
enum class FluidFailure { Warn, Quiet };

// True when `result` is FLUID_OK; otherwise logs `what` and returns false.
bool fluidOk(int result, const char* what, FluidFailure failure = FluidFailure::Warn);

// Routes FluidSynth's own messages into the program's log instead of the terminal.
// FluidSynth keeps this routing library-wide; calling it again changes nothing.
void routeFluidLog();

}  // namespace vesk::platform::midiout
