#include "app/tools/render_tool.h"

#include <sys/stat.h>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/quit_signals.h"
#include "engine/engine.h"
#include "platform/console_interaction.h"
#include "platform/midi_out/offline_synth.h"
#include "platform/midi_out/soundfont.h"
#include "platform/midi_out/wav_writer.h"
#include "sequencer/loop_plan.h"
#include "sequencer/sequencer_backend.h"
#include "sequencer/sequencer_errors.h"
#include "sequencer/smf_reader.h"

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
        void send(std::span<const std::uint8_t> message, Nanos due,
                  platform::MidiPort port) override {
            synth_.send(message, due, port);
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
// The RIFF sizes are 32-bit: 16-bit stereo frames after a 44-byte header.
constexpr std::int64_t MaxWavFrames = (std::int64_t{0xFFFFFFFF} - 44) / 4;

// Bytes that start a song this program reads: an output path holding one is never replaced.
bool holdsSong(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray head = file.read(64);
    return head.startsWith("MThd") || (head.startsWith("RIFF") && head.mid(8, 4) == "RMID") ||
           head.startsWith("RCM-PC98") || head.startsWith("COME ON MUSIC") ||
           head.startsWith("STEDDATA");
}

bool sameFile(const QFileInfo& a, const QFileInfo& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a.absoluteFilePath()).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b.absoluteFilePath()).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The WAV under a temporary name beside the output; removed unless committed.
class PendingOutput {
  public:
    explicit PendingOutput(const QString& target) : target_(target) {}
    ~PendingOutput() {
        if (!temp_.isEmpty()) {
            QFile::remove(temp_);
        }
    }
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    // Reserves a fresh name in the output's folder.
    bool reserve(QString& error) {
        const QFileInfo info(target_);
        QTemporaryFile file(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                            QStringLiteral(".XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open()) {
            error = QStringLiteral("%1 に書き込めません: %2").arg(target_, file.errorString());
            return false;
        }
        temp_ = file.fileName();
        // A temporary file is private; the WAV gets the mode a newly made file would.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(QFile::encodeName(temp_).constData(), 0666 & ~mask);
        return true;
    }
    const QString& path() const { return temp_; }
    // Moves the finished file into place (replacing what was there in one step).
    bool commit(QString& error) {
        if (::rename(QFile::encodeName(temp_).constData(),
                     QFile::encodeName(target_).constData()) != 0) {
            error = QStringLiteral("%1 に書き込めません: %2")
                        .arg(target_, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        temp_.clear();
        return true;
    }

  private:
    QString target_;
    QString temp_;
};

struct RenderJob {
    QString shownName;
    QString path;
};

bool takeOptions(QStringList& args, RenderOptions& options, QTextStream& err) {
    while (!args.isEmpty() && (args.first() == u"--max-hours" || args.first() == u"--loops")) {
        bool ok = false;
        if (args.first() == u"--loops") {
            const int loops = args.size() > 1 ? args[1].toInt(&ok) : -1;
            if (!ok || loops < 0 || loops > sequencer::kMaxLoopPasses) {
                err << "veskmidi: --loops needs a number of passes from 0 to "
                    << sequencer::kMaxLoopPasses << "\n";
                return false;
            }
            options.loops = loops;
        } else {
            const double hours = args.size() > 1 ? args[1].toDouble(&ok) : 0;
            if (!ok || !(hours > 0) || hours > 1e6) {
                err << "veskmidi: --max-hours needs a positive number of hours\n";
                return false;
            }
            options.maxHours = hours;
        }
        args.remove(0, 2);
    }
    return true;
}

// Ended by a signal: the temporary file goes with the PendingOutput; the status says which.
int interrupted(int number, const QString& output, QTextStream& err) {
    err << "veskmidi: stopped by signal " << number << "; " << output << " was not written\n";
    return 128 + number;
}

}  // namespace

int runRenderTool(const QStringList& givenArgs, RenderOptions options, QTextStream& out,
                  QTextStream& err) {
    // Ctrl-C or a kill stops the render between slices, so nothing half-written stays.
    const QuitFlag quit;
    QStringList args = givenArgs;
    if (!takeOptions(args, options, err)) {
        return 2;
    }
    if (args.size() < 2) {
        err << "usage: veskmidi --render [--max-hours N] [--loops N] OUT.wav FILE...\n";
        return 2;
    }
    const QFileInfo target(args.first());
    if (target.exists() && !target.isFile()) {
        err << "veskmidi: " << args.first() << ": not a file to write a WAV into\n";
        return 1;
    }
    if (target.exists() && holdsSong(target.absoluteFilePath())) {
        err << "veskmidi: " << args.first()
            << ": holds a song; refusing to overwrite it (the output comes first: --render "
               "OUT.wav FILE...)\n";
        return 1;
    }

    // Every song is read and measured before anything is written.
    int failures = 0;
    std::vector<RenderJob> jobs;
    double seconds = 0;  // in double: a hostile song's length is near the int64 range
    double longestSeconds = -1;
    QString longest;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QFileInfo info(args[i]);
        if (target.exists() && sameFile(info, target)) {
            err << "veskmidi: " << args[i] << ": is also the output; refusing to overwrite it\n";
            return 1;
        }
        if (!info.isFile()) {
            err << "veskmidi: " << args[i] << ": no such file\n";
            ++failures;
            continue;
        }
        QFile file(info.absoluteFilePath());
        sequencer::Song song;
        if (!file.open(QIODevice::ReadOnly)) {
            err << "veskmidi: " << args[i] << ": " << file.errorString() << "\n";
            ++failures;
            continue;
        }
        const QByteArray bytes = file.readAll();
        const std::span<const std::uint8_t> view(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size()));
        if (sequencer::readSmf(view, song) != sequencer::SequencerError::None) {
            err << "veskmidi: " << args[i] << ": not a Standard MIDI File\n";
            ++failures;
            continue;
        }
        const auto plan = sequencer::planLoop(song, options.loops, sequencer::kDefaultFadeNs);
        const double songSeconds =
            static_cast<double>(plan ? plan->playedLengthNs() : song.tempo.nsAt(song.endTick)) /
            1e9;
        seconds += songSeconds + std::chrono::duration<double>(MaxReleaseTail).count();
        if (songSeconds > longestSeconds) {
            longestSeconds = songSeconds;
            longest = args[i];
        }
        jobs.push_back({args[i], info.absoluteFilePath()});
    }
    if (jobs.empty()) {
        err << "veskmidi: nothing to render; " << args.first() << " was not written\n";
        return 1;
    }
    const double hours = seconds / 3600.0;
    if (hours > options.maxHours) {
        err << "veskmidi: the songs last " << QString::number(hours, 'g', 3)
            << " hours (the longest is " << longest << "), more than the limit of "
            << options.maxHours << " (--max-hours N to raise it); nothing was written\n";
        return 1;
    }
    if (seconds * options.sampleRate > static_cast<double>(MaxWavFrames)) {
        err << "veskmidi: the songs last " << QString::number(hours, 'g', 3)
            << " hours (the longest is " << longest
            << "), more than one WAV file can hold; nothing was written\n";
        return 1;
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
    if (quit.raised() != 0) {
        return interrupted(quit.raised(), args.first(), err);
    }
    PendingOutput pending(args.first());
    if (!pending.reserve(error)) {
        err << "veskmidi: " << error << "\n";
        return 1;
    }
    platform::midiout::WavWriter wav;
    if (!wav.open(pending.path(), synth->sampleRate())) {
        err << "veskmidi: " << wav.errorString() << "\n";
        return 1;
    }

    platform::VirtualClock clock;
    RenderOutputService output(*synth);
    sequencer::SequencerBackend backend(output, clock, sequencer::SequencerBackend::Drive::Manual);
    platform::ConsoleInteraction interaction(err);
    engine::Engine engine(backend, output, interaction);
    engine.setLoops(options.loops);

    std::vector<float> frames;
    auto renderTo = [&](Nanos t) {
        if (quit.raised() != 0) {
            return false;
        }
        clock.set(t);
        backend.pump(t);
        frames.clear();
        synth->renderUntil(t, frames);
        return wav.write(frames);
    };
    auto failed = [&] {
        if (quit.raised() != 0) {
            return interrupted(quit.raised(), args.first(), err);
        }
        err << "veskmidi: " << wav.errorString() << "\n";
        return 1;
    };
    // What was measured, plus the overrun allowance of each song: never more.
    const Nanos budget = std::chrono::duration_cast<Nanos>(std::chrono::duration<double>(seconds)) +
                         Overrun * static_cast<int>(jobs.size());

    int rendered = 0;
    for (const RenderJob& job : jobs) {
        engine.setFileName(job.path);
        engine.sendEx(QStringLiteral("F0 7E 7F 09 01 F7"));
        engine.midiPlay();
        if (engine.lastResult() != 0) {
            err << "veskmidi: " << job.shownName
                << ": cannot be played: " << engine.lastResultMessage() << " (code "
                << engine.lastResult() << ")\n";
            engine.midiClose();
            ++failures;
            continue;
        }
        const Nanos start = clock.now();
        const Nanos limit =
            std::min(start + std::chrono::milliseconds(engine.playTime()) + Overrun, budget);
        Nanos t = start;
        while (engine.status() == QLatin1String("playing") && t < limit) {
            std::optional<Nanos> next = backend.nextDeadline();
            t = std::max(t + 1ms, std::min(t + Slice, next.value_or(t + Slice)));
            if (!renderTo(t)) {
                return failed();
            }
        }
        engine.midiClose();
        const Nanos songEnd = t;
        bool ringing = true;
        for (Nanos tail = songEnd; ringing && tail < songEnd + MaxReleaseTail;) {
            tail += Slice;
            if (!renderTo(tail)) {
                return failed();
            }
            ringing = std::any_of(frames.begin(), frames.end(),
                                  [](float v) { return std::abs(v) >= Silence; });
        }
        ++rendered;
        out << job.shownName << "\t" << (t - start).count() / 1000000 << " ms\n";
    }
    if (rendered == 0) {
        err << "veskmidi: nothing could be rendered; " << args.first() << " was not written\n";
        return 1;
    }
    if (quit.raised() != 0) {
        return interrupted(quit.raised(), args.first(), err);
    }
    if (!wav.close() || !pending.commit(error)) {
        err << "veskmidi: " << (error.isEmpty() ? wav.errorString() : error) << "\n";
        return 1;
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace vesk::app
