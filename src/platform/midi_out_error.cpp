#include "platform/midi_out_error.h"

namespace vesk::platform {

QString errorMessage(MidiOutError error) {
    switch (error) {
        case MidiOutError::None:
            return QStringLiteral("success");
        case MidiOutError::Failed:
            return QStringLiteral("the MIDI output device failed");
        case MidiOutError::NoSuchDevice:
            return QStringLiteral("no such MIDI output device");
        case MidiOutError::NoSoundOutput:
            return QStringLiteral("no sound output could be opened");
        case MidiOutError::BadMessage:
            return QStringLiteral("not a complete MIDI message");
        case MidiOutError::Busy:
            return QStringLiteral("the MIDI output device is busy");
    }
    return QStringLiteral("MIDI output error %1").arg(deviceCode(error));
}

}  // namespace vesk::platform
