#pragma once
// The object graph of a running player: the MIDI outputs, the sequencer back end, the one
// engine and the player core, made once at start and shared by the windows.

#include <memory>
#include <thread>

#include "config/module_state.h"
#include "config/settings.h"
#include "engine/engine.h"
#include "intake/archive_extract.h"
#include "intake/intake_reporter.h"
#include "platform/midi_out/channel_activity.h"
#include "platform/midi_out/system_midi_output.h"
#include "player/player.h"
#include "player/random_source.h"
#include "sequencer/sequencer_backend.h"

namespace vesk::app {

class AppServices {
  public:
    AppServices(config::ModuleState& module, config::Settings& settings,
                platform::UserInteraction& interaction);
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    // The synthesizer follows the SoundFont and audio driver of the settings; call after
    // the configuration was read or the options changed. A large SoundFont takes seconds
    // to load, so it is loaded on a worker thread; a song started meanwhile waits for it.
    void applySynthesizerSettings();

    engine::Engine& engine() { return *engine_; }
    player::Player& player() { return *player_; }
    // The one extractor: the loader and the window's intake share what it last did.
    intake::ArchiveExtractor& extractor() { return extractor_; }
    platform::MidiOutputService& midiOutput() { return *midiOut_; }

  private:
    config::Settings& settings_;
    std::shared_ptr<platform::SteadyClock> clock_;
    std::unique_ptr<platform::midiout::SystemMidiOutputService> midiOut_;
    platform::midiout::ChannelActivity activity_;
    std::unique_ptr<platform::midiout::MonitoredMidiOutputService> monitoredOut_;
    std::unique_ptr<sequencer::SequencerBackend> sequencer_;
    std::unique_ptr<engine::Engine> engine_;
    player::ClockSeededRandom random_;
    intake::InteractionReporter reporter_;
    intake::ArchiveExtractor extractor_;
    std::unique_ptr<player::Player> player_;
    std::jthread synthesizerLoader_;
};

}  // namespace vesk::app
