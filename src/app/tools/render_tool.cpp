#include "app/tools/render_tool.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "engine/engine.h"
#include "platform/console_interaction.h"
#include "platform/midi_out/offline_synth.h"
#include "platform/midi_out/soundfont.h"
#include "platform/midi_out/wav_writer.h"
#include "sequencer/sequencer_backend.h"

namespace vesk::app {
namespace {

using platform::Nanos;
using namespace std::chrono_literals;

// Every device number leads to the one offline synthesizer; closing a device leaves it.
class RenderOutputService final : public platform::MidiOutputService {
  public:
    explicit RenderOutputService(platform::midiout::OfflineSynth& synth) : synth_(synth) {}
    int deviceCount() override { return 1; }
    QString deviceName(int device) override {
        return device == 0 ? QStringLiteral("VESK Render") : QString();
    }
    platform::MidiOutError open(int device,
                                std::unique_ptr<platform::MidiOutDevice>& out) override {
        if (device < -1 || device > 0) {
            return platform::MidiOutError::NoSuchDevice;
        }
        out = std::make_unique<Proxy>(synth_);
        return platform::MidiOutError::None;
    }

  private:
    class Proxy final : public platform::MidiOutDevice {
      public:
        explicit Proxy(platform::midiout::OfflineSynth& synth) : synth_(synth) {}
        void send(std::span<const std::uint8_t> message, Nanos due) override {
            synth_.send(message, due);
        }
        platform::MidiOutError longMsg(std::span<const std::uint8_t> message,
                                       std::function<void()> done) override {
            return synth_.longMsg(message, std::move(done));
        }
        platform::MidiOutError reset() override { return synth_.reset(); }

      private:
        platform::midiout::OfflineSynth& synth_;
    };

    platform::midiout::OfflineSynth& synth_;
};

// Rendered in slices so memory stays small however long the songs are.
constexpr Nanos Slice = 50ms;
// Notes and reverb ring out after each song until they fall below -90 dBFS, for at most
// this long, before the next one starts.
constexpr Nanos MaxReleaseTail = 10s;
constexpr float Silence = 3.2e-5f;
// A song that never reports its end (a sequencer fault) is cut after its length plus this.
constexpr Nanos Overrun = 10s;

}  // namespace

int runRenderTool(const QStringList& args, const RenderOptions& options, QTextStream& out,
                  QTextStream& err) {
    if (args.size() < 2) {
        err << "usage: veskmidi --render OUT.wav FILE...\n";
        return 2;
    }
    const QString soundFont = platform::midiout::resolveSoundFont(options.soundFont);
    if (soundFont.isEmpty()) {
        err << "veskmidi: no General MIDI SoundFont found (install fluid-soundfont-gm)\n";
        return 1;
    }
    QString error;
    auto synth =
        platform::midiout::OfflineSynth::create({soundFont, options.sampleRate, 0.4, 256}, error);
    if (!synth) {
        err << "veskmidi: " << error << "\n";
        return 1;
    }
    platform::midiout::WavWriter wav;
    if (!wav.open(args.first(), synth->sampleRate())) {
        err << "veskmidi: " << wav.errorString() << "\n";
        return 1;
    }

    platform::VirtualClock clock;
    RenderOutputService output(*synth);
    sequencer::SequencerBackend backend(output, clock, sequencer::SequencerBackend::Drive::Manual);
    platform::ConsoleInteraction interaction(err);
    engine::Engine engine(backend, output, interaction);

    std::vector<float> frames;
    auto renderTo = [&](Nanos t) {
        clock.set(t);
        backend.pump(t);
        frames.clear();
        synth->renderUntil(t, frames);
        return wav.write(frames);
    };

    int failures = 0;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString file = QFileInfo(args[i]).absoluteFilePath();
        if (!QFileInfo(file).isFile()) {
            err << "veskmidi: " << args[i] << ": no such file\n";
            ++failures;
            continue;
        }
        engine.setFileName(file);
        engine.sendEx(QStringLiteral("F0 7E 7F 09 01 F7"));
        engine.midiPlay();
        if (engine.lastResult() != 0) {
            err << "veskmidi: " << args[i] << ": cannot be played: " << engine.lastResultMessage()
                << " (code " << engine.lastResult() << ")\n";
            engine.midiClose();
            ++failures;
            continue;
        }
        const Nanos start = clock.now();
        const Nanos limit = start + std::chrono::milliseconds(engine.playTime()) + Overrun;
        Nanos t = start;
        while (engine.status() == QLatin1String("playing") && t < limit) {
            std::optional<Nanos> next = backend.nextDeadline();
            t = std::max(t + 1ms, std::min(t + Slice, next.value_or(t + Slice)));
            if (!renderTo(t)) {
                err << "veskmidi: " << wav.errorString() << "\n";
                return 1;
            }
        }
        engine.midiClose();
        const Nanos songEnd = t;
        bool ringing = true;
        for (Nanos tail = songEnd; ringing && tail < songEnd + MaxReleaseTail;) {
            tail += Slice;
            if (!renderTo(tail)) {
                err << "veskmidi: " << wav.errorString() << "\n";
                return 1;
            }
            ringing = std::any_of(frames.begin(), frames.end(),
                                  [](float v) { return std::abs(v) >= Silence; });
        }
        out << args[i] << "\t" << (t - start).count() / 1000000 << " ms\n";
    }
    if (!wav.close()) {
        err << "veskmidi: " << wav.errorString() << "\n";
        return 1;
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace vesk::app
