#include "platform/midi_out/fluid_handles.h"

#include <mutex>

#include "platform/midi_out/midi_out_log.h"

namespace vesk::platform::midiout {

bool fluidOk(int result, const char* what, FluidFailure failure) {
    if (result == FLUID_OK) {
        return true;
    }
    if (failure == FluidFailure::Warn) {
        qCWarning(lcMidiOut) << what << "failed";
    }
    return false;
}

namespace {

void logFromFluid(int level, const char* message, void*) {
    switch (level) {
        case FLUID_PANIC:
        case FLUID_ERR:
            qCWarning(lcMidiOut, "FluidSynth: %s", message);
            break;
        case FLUID_WARN:
            qCInfo(lcMidiOut, "FluidSynth: %s", message);
            break;
        default:
            qCDebug(lcMidiOut, "FluidSynth: %s", message);
            break;
    }
}

}  // namespace

void routeFluidLog() {
    static std::once_flag routed;
    std::call_once(routed, [] {
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
            fluid_set_log_function(level, logFromFluid, nullptr);
        }
    });
}

}  // namespace vesk::platform::midiout
