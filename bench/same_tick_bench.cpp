// Opening a file whose notes all fall on one tick: 200 000 note-on/note-off pairs, the
// shape that made the same-tick ordering of the reader quadratic. Ours is the sequencer's
// "open" (read, order, index); the peer is FluidSynth's file player from play until its
// first event leaves.

#include <fluidsynth.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/null_midi_output.h"
#include "sequencer/sequencer_backend.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using WallClock = std::chrono::steady_clock;

void put32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

// One track: at tick 0, `pairs` times a note-on and its note-off across all keys.
Bytes sameTickSong(int pairs) {
    Bytes track;
    for (int i = 0; i < pairs; ++i) {
        const auto key = static_cast<std::uint8_t>(i % 128);
        track.insert(track.end(), {0x00, 0x90, key, 0x64, 0x00, 0x80, key, 0x00});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
    put32(file, static_cast<std::uint32_t>(track.size()));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

double secondsSince(WallClock::time_point start) {
    return std::chrono::duration<double>(WallClock::now() - start).count();
}

double oursOpen(const std::string& path) {
    vesk::platform::NullMidiOutputService service;
    vesk::platform::SteadyClock clock;
    vesk::sequencer::SequencerBackend seq(service, clock);
    const auto start = WallClock::now();
    const int rc = seq.sendString("open \"" + path + "\" alias Bench", nullptr, 0);
    const double seconds = secondsSince(start);
    seq.sendString("close Bench", nullptr, 0);
    return rc == 0 ? seconds : -1;
}

int onEvent(void* data, fluid_midi_event_t*) {
    *static_cast<bool*>(data) = true;
    return 0;
}

double peerOpen(const Bytes& song) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.verbose", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_player_t* player = new_fluid_player(synth);
    bool sent = false;
    fluid_player_set_playback_callback(player, &onEvent, &sent);
    const auto start = WallClock::now();
    fluid_player_add_mem(player, song.data(), song.size());
    fluid_player_play(player);
    std::vector<float> left(64);
    std::vector<float> right(64);
    while (!sent && secondsSince(start) < 60) {
        fluid_synth_write_float(synth, 64, left.data(), 0, 1, right.data(), 0, 1);
    }
    const double seconds = sent ? secondsSince(start) : -1;
    fluid_player_stop(player);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return seconds;
}

}  // namespace

int main() {
    constexpr int kPairs = 200000;
    const Bytes song = sameTickSong(kPairs);
    char path[] = "/tmp/same_tick_bench_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0 || write(fd, song.data(), song.size()) != static_cast<ssize_t>(song.size())) {
        std::perror("same_tick_bench");
        return 1;
    }
    close(fd);
    const double ours = oursOpen(path);
    const double peer = peerOpen(song);
    unlink(path);
    std::printf("same_tick_open_s (%d pairs, %zu bytes): ours=%.4f peer=%.4f ratio=%.4f\n", kPairs,
                song.size(), ours, peer, peer > 0 ? ours / peer : 0.0);
    return ours >= 0 && ours < 0.2 ? 0 : 1;
}
