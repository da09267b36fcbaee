#pragma once
// The player core on the real engine and sequencer with the output seen through the
// channel monitor, as start-up wires it, on a virtual clock.

#include <QDir>
#include <chrono>
#include <memory>

#include "platform/midi_out/channel_activity.h"
#include "player/player_rig.h"

namespace vesk::player::test {

struct MonitoredPlayerRig {
    MonitoredPlayerRig()
        : monitored(output, activity),
          backend(monitored, clock, sequencer::SequencerBackend::Drive::Manual),
          engine(backend, monitored, interaction, QStringLiteral("VESK MIDI PLAYER"), clock) {
        module.workFolder = dir.path() + "/work/";
        module.handoffFolder = module.workFolder + "FileNames";
        QDir().mkpath(module.handoffFolder);
        PlayerServices services;
        services.channelActivity = &activity;
        services.playbackClock = &clock;
        player = std::make_unique<Player>(engine, settings, module, interaction, random,
                                          std::move(services));
        player->attachView(view, WindowMode::Main);
    }
    void addEntry(const QString& folder, const QString& name) {
        player->state().playList.push_back(intake::SongEntry{name, folder, name});
    }
    // Loads an entry and starts the song's clock.
    void load(std::int16_t entry) {
        ASSERT_TRUE(player->playEntry(entry));
        start = clock.now();
        at(0);
    }
    // `ms` after the song started, playback having sent what fell due.
    void at(int ms) {
        clock.set(start + std::chrono::milliseconds(ms));
        backend.pump(clock.now());
    }

    vesk::test::TempDir dir;
    platform::VirtualClock clock{std::chrono::seconds(10)};
    platform::Nanos start{0};
    platform::RecordingMidiOutputService output;
    platform::midiout::ChannelActivity activity;
    platform::midiout::MonitoredMidiOutputService monitored;
    sequencer::SequencerBackend backend;
    platform::RecordingInteraction interaction;
    engine::Engine engine;
    config::Settings settings;
    config::ModuleState module;
    ScriptedRandom random;
    RecordingView view;
    std::unique_ptr<Player> player;
};

}  // namespace vesk::player::test
