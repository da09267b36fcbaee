#pragma once
// The player's engine on the live synthesizer inside the test process, sounding through the
// private sound server only.

#include <QProcessEnvironment>
#include <QString>
#include <QTextStream>

#include "engine/engine.h"
#include "platform/console_interaction.h"
#include "platform/midi_out/system_midi_output.h"
#include "sequencer/sequencer_backend.h"
#include "support/pulse_server.h"

namespace vesk::test {

inline platform::midiout::MidiOutputOptions reachOnly(const PulseServer& server) {
    const QProcessEnvironment env = server.environment();
    for (const char* name : {"XDG_RUNTIME_DIR", "HOME", "PULSE_SINK"}) {
        qputenv(name, env.value(QString::fromLatin1(name)).toLocal8Bit());
    }
    platform::midiout::MidiOutputOptions options;
    options.soundFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
    return options;
}

struct InProcessPlayer {
    explicit InProcessPlayer(const PulseServer& server) : output(reachOnly(server)) {}

    platform::SteadyClock clock;
    platform::midiout::SystemMidiOutputService output;
    sequencer::SequencerBackend backend{output, clock};
    QString said;
    QTextStream err{&said};
    platform::ConsoleInteraction interaction{err};
    engine::Engine engine{backend, output, interaction};
};

}  // namespace vesk::test
