// Measures the sequencer back end against FluidSynth's file player (the peer), on two
// generated songs: (a) 60 s with 16 tempo changes and about 5 000 events, (b) format 1
// with 2 million note events. Figures:
//   timing  wall-clock error of note events sent to a null port while playing (b):
//           p99 and max of |error - median|, drift = median of the last 5 s - first 5 s
//   load    opening (b): time, resident memory per event, first event after play
//   cpu     share of one core while playing (a) in real time, and wake-ups while paused
// The peer runs with default settings; it is driven by its synthesizer's sample clock,
// so this program renders blocks of the default period size at the audio pace, as a
// sound card would, and takes the events from the player's playback callback (the null
// port). Its error is measured the same way: the time an event left the player.

#include <fluidsynth.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/midi_output.h"
#include "sequencer/sequencer_backend.h"
#include "sequencer/smf_reader.h"

namespace {

using vesk::platform::Nanos;
using Bytes = std::vector<std::uint8_t>;
using SteadyTime = std::chrono::steady_clock::time_point;

double toMs(Nanos n) {
    return static_cast<double>(n.count()) / 1e6;
}

Nanos wallNow() {
    return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now().time_since_epoch());
}

Nanos processCpu() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return Nanos{std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec};
}

long contextSwitches() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw + u.ru_nivcsw;
}

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// ---- song generation ----------------------------------------------------------------

void vlq(Bytes& out, std::uint32_t v) {
    std::uint8_t tmp[5];
    int n = 0;
    tmp[n++] = v & 0x7F;
    while ((v >>= 7) != 0) {
        tmp[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
    }
    while (n > 0) {
        out.push_back(tmp[--n]);
    }
}

void be32(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> s));
    }
}

struct TrackWriter {
    Bytes bytes;
    std::uint32_t tick = 0;
    void event(std::uint32_t at, std::initializer_list<std::uint8_t> b) {
        vlq(bytes, at - tick);
        tick = at;
        bytes.insert(bytes.end(), b);
    }
    void tempo(std::uint32_t at, std::uint32_t micros) {
        event(at, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16),
                   static_cast<std::uint8_t>(micros >> 8), static_cast<std::uint8_t>(micros)});
    }
    void end(std::uint32_t at) { event(at, {0xFF, 0x2F, 0x00}); }
};

Bytes smf(const std::vector<TrackWriter>& tracks, std::uint16_t division) {
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    out.push_back(static_cast<std::uint8_t>(tracks.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(tracks.size()));
    out.push_back(static_cast<std::uint8_t>(division >> 8));
    out.push_back(static_cast<std::uint8_t>(division));
    for (const TrackWriter& t : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        be32(out, static_cast<std::uint32_t>(t.bytes.size()));
        out.insert(out.end(), t.bytes.begin(), t.bytes.end());
    }
    return out;
}

// 16 sections of 3.75 s at tempos from 90 to 165 per minute; 2 500 notes on 4 channels.
Bytes tempoSong() {
    constexpr std::uint32_t kDivision = 480;
    std::vector<TrackWriter> tracks(5);
    std::uint32_t start = 0;
    for (int s = 0; s < 16; ++s) {
        const int bpm = 90 + 5 * s;
        tracks[0].tempo(start, static_cast<std::uint32_t>(60'000'000 / bpm));
        const auto ticks = static_cast<std::uint32_t>(3.75 * bpm / 60.0 * kDivision);
        for (int ch = 0; ch < 4; ++ch) {
            TrackWriter& t = tracks[static_cast<std::size_t>(ch + 1)];
            for (int n = 0; n < 39; ++n) {
                const std::uint32_t on = start + ticks * static_cast<std::uint32_t>(n) / 39;
                const auto key = static_cast<std::uint8_t>(48 + (n * 7 + ch * 3) % 36);
                t.event(on, {static_cast<std::uint8_t>(0x90 | ch), key, 90});
                t.event(on + ticks / 39 / 2, {static_cast<std::uint8_t>(0x80 | ch), key, 0});
            }
        }
        start += ticks;
    }
    for (TrackWriter& t : tracks) {
        t.end(start);
    }
    return smf(tracks, kDivision);
}

// 16 tracks of 62 500 notes, one every 3 ticks (1.5625 ms at 120 per minute): 2 000 000
// note events in about 98 s.
Bytes bigSong() {
    std::vector<TrackWriter> tracks(16);
    for (int ch = 0; ch < 16; ++ch) {
        TrackWriter& t = tracks[static_cast<std::size_t>(ch)];
        if (ch == 0) {
            t.tempo(0, 500000);
        }
        for (std::uint32_t n = 0; n < 62'500; ++n) {
            const std::uint32_t on = n * 3 + static_cast<std::uint32_t>(ch % 3);
            const auto key =
                static_cast<std::uint8_t>(36 + (n + static_cast<std::uint32_t>(ch)) % 60);
            t.event(on, {static_cast<std::uint8_t>(0x90 | ch), key, 64});
            t.event(on + 2, {static_cast<std::uint8_t>(0x80 | ch), key, 0});
        }
        t.end(62'500 * 3 + 3);
    }
    return smf(tracks, 480);
}

std::string writeFile(const QTemporaryDir& dir, const char* name, const Bytes& bytes) {
    const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Song time of every note event of a file, in order.
std::vector<Nanos> expectedNoteTimes(const Bytes& bytes) {
    vesk::sequencer::Song song;
    std::vector<Nanos> times;
    if (vesk::sequencer::readSmf(bytes, song) != vesk::sequencer::SequencerError::None) {
        return times;
    }
    for (const auto& e : song.events) {
        if (e.isNoteOn() || e.isNoteOff()) {
            times.push_back(Nanos{song.tempo.nsAt(e.tick)});
        }
    }
    return times;
}

// ---- our side: a null port that notes when each message left -------------------------

struct Sent {
    Nanos due;
    Nanos actual;
};

// The log belongs to the playback thread until the session is closed; the main thread
// watches only the atomics meanwhile.
struct PortLog {
    std::vector<Sent> sent;
    std::atomic<bool> recording{true};
    std::atomic<Nanos::rep> first{0};
};

class NullPort final : public vesk::platform::MidiOutDevice {
  public:
    explicit NullPort(PortLog& log) : log_(log) {}
    void send(std::span<const std::uint8_t> m, Nanos due, vesk::platform::MidiPort) override {
        const Nanos now = wallNow();
        if (log_.recording && m.size() == 3 && ((m[0] & 0xF0) == 0x80 || (m[0] & 0xF0) == 0x90)) {
            if (log_.sent.empty()) {
                log_.first = now.count();
            }
            log_.sent.push_back({due, now});
        }
    }
    vesk::platform::MidiOutError longMsg(std::span<const std::uint8_t>,
                                         std::function<void()>) override {
        return vesk::platform::MidiOutError::None;
    }
    vesk::platform::MidiOutError reset() override { return vesk::platform::MidiOutError::None; }

  private:
    PortLog& log_;
};

class NullService final : public vesk::platform::MidiOutputService {
  public:
    PortLog log;
    int deviceCount() override { return 1; }
    QString deviceName(int) override { return QStringLiteral("null"); }
    vesk::platform::MidiOutError open(
        int, std::unique_ptr<vesk::platform::MidiOutDevice>& out) override {
        out = std::make_unique<NullPort>(log);
        return vesk::platform::MidiOutError::None;
    }
};

int command(vesk::sequencer::SequencerBackend& seq, const std::string& text) {
    const int rc = seq.sendString(text, nullptr, 0);
    if (rc != 0) {
        std::fprintf(stderr, "command failed (%d): %s\n", rc, text.c_str());
    }
    return rc;
}

// ---- the peer -------------------------------------------------------------------------

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Settings =
    std::unique_ptr<fluid_settings_t, Deleter<fluid_settings_t, delete_fluid_settings>>;
using Synth = std::unique_ptr<fluid_synth_t, Deleter<fluid_synth_t, delete_fluid_synth>>;
using Player = std::unique_ptr<fluid_player_t, Deleter<fluid_player_t, delete_fluid_player>>;

bool check(int rc, const char* what) {
    if (rc != FLUID_OK) {
        std::fprintf(stderr, "%s failed\n", what);
        return false;
    }
    return true;
}

class Peer {
  public:
    explicit Peer(const std::string& path) : settings_(new_fluid_settings()) {
        fluid_settings_setint(settings_.get(), "synth.verbose", 0);
        synth_.reset(new_fluid_synth(settings_.get()));
        player_.reset(new_fluid_player(synth_.get()));
        double rate = 44100;
        int period = 64;
        fluid_settings_getnum(settings_.get(), "synth.sample-rate", &rate);
        fluid_settings_getint(settings_.get(), "audio.period-size", &period);
        rate_ = rate;
        period_ = period;
        log_.reserve(1 << 20);
        ok_ = player_ &&
              check(fluid_player_set_playback_callback(player_.get(), &Peer::onEvent, this),
                    "fluid_player_set_playback_callback") &&
              check(fluid_player_add(player_.get(), path.c_str()), "fluid_player_add");
    }
    ~Peer() { stop(); }

    bool ok() const { return ok_; }

    // Starts the player and the audio pace that drives it.
    void play() {
        started_ = wallNow();
        check(fluid_player_play(player_.get()), "fluid_player_play");
        running_ = true;
        audio_ = std::thread([this] { render(); });
    }
    void pause() { check(fluid_player_stop(player_.get()), "fluid_player_stop"); }
    void stop() {
        if (audio_.joinable()) {
            fluid_player_stop(player_.get());
            running_ = false;
            audio_.join();
        }
    }
    Nanos started() const { return started_; }
    std::vector<Nanos> log() {
        std::lock_guard lock(mutex_);
        return log_;
    }

  private:
    static int onEvent(void* data, fluid_midi_event_t* event) {
        auto* self = static_cast<Peer*>(data);
        const int type = fluid_midi_event_get_type(event);
        if (type == 0x80 || type == 0x90) {
            std::lock_guard lock(self->mutex_);
            self->log_.push_back(wallNow());
        }
        return FLUID_OK;
    }

    void render() {
        std::vector<float> left(static_cast<std::size_t>(period_));
        std::vector<float> right(static_cast<std::size_t>(period_));
        const auto block = std::chrono::duration<double>(period_ / rate_);
        auto next = std::chrono::steady_clock::now();
        while (running_) {
            fluid_synth_write_float(synth_.get(), period_, left.data(), 0, 1, right.data(), 0, 1);
            next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(block);
            std::this_thread::sleep_until(next);
        }
    }

    Settings settings_;
    Synth synth_;
    Player player_;
    double rate_ = 44100;
    int period_ = 64;
    bool ok_ = false;
    std::atomic<bool> running_{false};
    std::thread audio_;
    Nanos started_{0};
    std::mutex mutex_;
    std::vector<Nanos> log_;
};

// ---- statistics -----------------------------------------------------------------------

struct Timing {
    double p99 = 0;
    double max = 0;
    double drift = 0;
    std::size_t events = 0;
};

double median(std::vector<double> v) {
    if (v.empty()) {
        return 0;
    }
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// `errors[i]` belongs to an event due at `due[i]` (ms from the start).
Timing timing(const std::vector<double>& errors, const std::vector<double>& due) {
    Timing t;
    t.events = errors.size();
    if (errors.empty()) {
        return t;
    }
    const double mid = median(errors);
    std::vector<double> dev;
    dev.reserve(errors.size());
    for (double e : errors) {
        dev.push_back(std::abs(e - mid));
    }
    std::sort(dev.begin(), dev.end());
    t.p99 = dev[static_cast<std::size_t>(0.99 * static_cast<double>(dev.size() - 1))];
    t.max = dev.back();
    const double last = due.back();
    std::vector<double> first5;
    std::vector<double> last5;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (due[i] < 5000) {
            first5.push_back(errors[i]);
        }
        if (due[i] > last - 5000) {
            last5.push_back(errors[i]);
        }
    }
    t.drift = median(last5) - median(first5);
    return t;
}

void figure(const char* name, double ours, double peer, const char* unit) {
    std::printf("%s: ours=%.4f%s peer=%.4f%s ratio=%.4f\n", name, ours, unit, peer, unit,
                peer != 0 ? ours / peer : 0.0);
}

}  // namespace

int main() {
    using namespace std::chrono_literals;
    QTemporaryDir dir;
    const Bytes tempo = tempoSong();
    const Bytes big = bigSong();
    const std::string tempoPath = writeFile(dir, "tempo.mid", tempo);
    const std::string bigPath = writeFile(dir, "big.mid", big);
    const std::vector<Nanos> bigTimes = expectedNoteTimes(big);
    std::printf("songs: (a) %zu note events, (b) %zu note events\n",
                expectedNoteTimes(tempo).size(), bigTimes.size());
    constexpr auto kTimingWindow = 20s;
    constexpr auto kCpuWindow = 10s;

    // (c) loading, ours.
    vesk::platform::SteadyClock clock;
    NullService service;
    service.log.sent.reserve(1 << 21);
    double oursLoadMs = 0;
    double oursBytesPerEvent = 0;
    double oursFirstMs = 0;
    Timing ours;
    {
        vesk::sequencer::SequencerBackend seq(service, clock);
        const long before = residentBytes();
        const Nanos t0 = wallNow();
        command(seq, "open \"" + bigPath + "\" alias Big");
        oursLoadMs = toMs(wallNow() - t0);
        oursBytesPerEvent =
            static_cast<double>(residentBytes() - before) / static_cast<double>(bigTimes.size());
        const Nanos playAt = wallNow();
        command(seq, "play Big");
        while (service.log.first == 0 && wallNow() - playAt < 1s) {
            std::this_thread::sleep_for(100us);
        }
        oursFirstMs = service.log.first == 0 ? -1 : toMs(Nanos{service.log.first} - playAt);
        std::this_thread::sleep_for(kTimingWindow);
        service.log.recording = false;
        command(seq, "close Big");
        const std::vector<Sent>& log = service.log.sent;
        std::vector<double> errors;
        std::vector<double> due;
        const Nanos origin = log.empty() ? Nanos{0} : log.front().due;
        for (const Sent& s : log) {
            errors.push_back(toMs(s.actual - s.due));
            due.push_back(toMs(s.due - origin));
        }
        ours = timing(errors, due);
    }

    // (b)/(c) the peer on the same file.
    double peerLoadMs = 0;
    double peerBytesPerEvent = 0;
    Timing peer;
    {
        Peer p(bigPath);
        if (!p.ok()) {
            return 1;
        }
        const long before = residentBytes();
        p.play();
        while (p.log().empty() && wallNow() - p.started() < 10s) {
            std::this_thread::sleep_for(100us);
        }
        const std::vector<Nanos> first = p.log();
        peerLoadMs = first.empty() ? -1 : toMs(first.front() - p.started());
        peerBytesPerEvent =
            static_cast<double>(residentBytes() - before) / static_cast<double>(bigTimes.size());
        std::this_thread::sleep_for(kTimingWindow);
        p.stop();
        const std::vector<Nanos> log = p.log();
        std::vector<double> errors;
        std::vector<double> due;
        for (std::size_t i = 0; i < log.size() && i < bigTimes.size(); ++i) {
            errors.push_back(toMs(log[i] - p.started() - bigTimes[i]));
            due.push_back(toMs(bigTimes[i]));
        }
        peer = timing(errors, due);
    }

    // (d) CPU while playing song (a) in real time, then wake-ups while paused.
    auto cpuShare = [&](auto&& start, auto&& pause, auto&& finish) {
        const Nanos cpu0 = processCpu();
        start();
        std::this_thread::sleep_for(kCpuWindow);
        const double share = 100.0 * toMs(processCpu() - cpu0) / toMs(kCpuWindow);
        pause();
        std::this_thread::sleep_for(50ms);
        const long switches0 = contextSwitches();
        std::this_thread::sleep_for(1s);
        const long wakeups = contextSwitches() - switches0 - 1;  // less the sleep of this thread
        finish();
        return std::pair{share, wakeups};
    };
    NullService quiet;
    quiet.log.sent.reserve(1 << 16);
    std::pair<double, long> oursCpu;
    {
        vesk::sequencer::SequencerBackend seq(quiet, clock);
        command(seq, "open \"" + tempoPath + "\" alias Tempo");
        oursCpu =
            cpuShare([&] { command(seq, "play Tempo"); }, [&] { command(seq, "pause Tempo"); },
                     [&] { command(seq, "close Tempo"); });
    }
    std::pair<double, long> peerCpu;
    {
        Peer p(tempoPath);
        peerCpu = cpuShare([&] { p.play(); }, [&] { p.pause(); }, [&] { p.stop(); });
    }

    std::printf("\n%-34s %14s %14s\n", "figure", "ours", "peer");
    std::printf("%-34s %14zu %14zu\n", "timing: note events measured", ours.events, peer.events);
    std::printf("%-34s %14.4f %14.4f\n", "timing: p99 |error-median| (ms)", ours.p99, peer.p99);
    std::printf("%-34s %14.4f %14.4f\n", "timing: max |error-median| (ms)", ours.max, peer.max);
    std::printf("%-34s %14.4f %14.4f\n", "timing: drift last-first 5 s (ms)", ours.drift,
                peer.drift);
    std::printf("%-34s %14.2f %14.2f\n", "load: 2M events (ms)", oursLoadMs, peerLoadMs);
    std::printf("%-34s %14.2f %14.2f\n", "load: resident bytes per event", oursBytesPerEvent,
                peerBytesPerEvent);
    std::printf("%-34s %14.2f %14s\n", "load: first event after play (ms)", oursFirstMs, "-");
    std::printf("%-34s %14.3f %14.3f\n", "cpu: playing song (a) (% of a core)", oursCpu.first,
                peerCpu.first);
    std::printf("%-34s %14ld %14ld\n\n", "cpu: wake-ups in 1 s paused", oursCpu.second,
                peerCpu.second);

    figure("timing_p99_ms", ours.p99, peer.p99, "");
    figure("timing_max_ms", ours.max, peer.max, "");
    figure("timing_drift_ms", ours.drift, peer.drift, "");
    figure("load_ms", oursLoadMs, peerLoadMs, "");
    figure("load_bytes_per_event", oursBytesPerEvent, peerBytesPerEvent, "");
    figure("first_event_ms", oursFirstMs, peerLoadMs, "");
    figure("cpu_percent", oursCpu.first, peerCpu.first, "");
    figure("paused_wakeups", static_cast<double>(oursCpu.second),
           static_cast<double>(peerCpu.second), "");
    return 0;
}
