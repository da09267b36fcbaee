#pragma once
// MIDI output devices. Numbers 0..deviceCount()-1 name devices, -1 the default output.
// Device 0 is the built-in software synthesizer; 1.. are the system's MIDI ports.

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "platform/clock.h"
#include "platform/midi_out_error.h"
#include "platform/midi_port.h"

namespace vesk::platform {

// An opened output device. Closing it is destroying it.
class MidiOutDevice {
  public:
    virtual ~MidiOutDevice() = default;

    // A channel message or a complete System Exclusive message (F0 ... F7) for `port`,
    // due at `due` on the playback clock. A device that can place it exactly (the
    // synthesizer) does; a system port sends at once. The synthesizer plays port B on its
    // channels 17-32; a system port is a single port of its own, so it plays both ports'
    // messages as they come, the way a song sent to one module always sounded.
    // Called from the playback thread.
    virtual void send(std::span<const std::uint8_t> message, Nanos due, MidiPort port) = 0;
    // A message for port A.
    void send(std::span<const std::uint8_t> message, Nanos due) { send(message, due, MidiPort::A); }

    // Sends a long (System Exclusive) message now. `done` runs, on any thread, once the
    // device has taken the bytes. On failure `done` never runs.
    virtual MidiOutError longMsg(std::span<const std::uint8_t> message,
                                 std::function<void()> done) = 0;

    // Silences the device: note-off for sounding notes, sustain off, all notes off.
    virtual MidiOutError reset() = 0;
};

class MidiOutputService {
  public:
    virtual ~MidiOutputService() = default;
    virtual int deviceCount() = 0;
    // The name as the device reports it; empty for a number that names no device.
    virtual QString deviceName(int device) = 0;
    // Opens `device` (-1 = the default output): sets `out` on success.
    virtual MidiOutError open(int device, std::unique_ptr<MidiOutDevice>& out) = 0;
};

}  // namespace vesk::platform
