#include "app/app_services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace vesk::app {

AppServices::AppServices(config::ModuleState& module, config::Settings& settings,
                         platform::UserInteraction& interaction)
    : settings_(settings),
      clock_(std::make_shared<platform::SteadyClock>()),
      reporter_(interaction),
      extractor_(module, settings) {
    midiOut_ = std::make_unique<platform::midiout::SystemMidiOutputService>(
        platform::midiout::MidiOutputOptions{}, clock_);
    // Said once, without stopping anything: the song may be meant for an external port
    // next, and the window stays usable while the user checks the sound server.
    midiOut_->setNoSoundOutputNotice([title = module.appTitle](const QString& text) {
        QMetaObject::invokeMethod(
            qApp,
            [title, text] {
                auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->setModal(false);
                box->show();
            },
            Qt::QueuedConnection);
    });
    // Everything the sequencer and the engine send passes the channel window's monitor.
    monitoredOut_ =
        std::make_unique<platform::midiout::MonitoredMidiOutputService>(*midiOut_, activity_);
    sequencer_ = std::make_unique<sequencer::SequencerBackend>(*monitoredOut_, *clock_);
    engine_ =
        std::make_unique<engine::Engine>(*sequencer_, *monitoredOut_, interaction, module.appTitle);
    player::PlayerServices services;
    services.preparation = player::standardPreparation(module);
    services.preparation.extract = [this](const QString& archive, const QString& member, quintptr) {
        extractor_.extractListedMember(archive, member, reporter_);
    };
    // The desktop's default application; a failure is not reported.
    services.openDocument = [](const QString& path, const QString&) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    services.channelActivity = &activity_;
    services.playbackClock = clock_.get();
    player_ = std::make_unique<player::Player>(*engine_, settings, module, interaction, random_,
                                               std::move(services));
}

AppServices::~AppServices() {
    if (synthesizerLoader_.joinable()) {
        synthesizerLoader_.join();
    }
    // The engine closes its session before the sequencer and the outputs go away.
    player_.reset();
    if (engine_) {
        engine_->midiClose();
    }
}

void AppServices::applySynthesizerSettings() {
    platform::midiout::MidiOutputOptions options;
    options.soundFont = settings_.soundFont;
    options.audio.driver = settings_.audioDriver;
    midiOut_->setOptions(options);
    if (synthesizerLoader_.joinable()) {
        synthesizerLoader_.join();
    }
    // Only a warm-up: a failure is logged there, and the open that needs the synthesizer
    // meets it again and reports it.
    synthesizerLoader_ =
        std::jthread([out = midiOut_.get()] { static_cast<void>(out->prepareSynthesizer()); });
}

}  // namespace vesk::app
