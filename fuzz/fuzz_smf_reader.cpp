// The full MIDI file reader on arbitrary bytes, and the promises its song makes to the
// sequencer: events in time order, payloads inside the side buffer, times that convert.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_support.h"
#include "sequencer/sequencer_errors.h"
#include "sequencer/smf_reader.h"

using vesk::fuzz::require;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vesk::fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vesk::sequencer;
    Song song;
    const auto rc = readSmf(std::span<const std::uint8_t>(data, size), song);
    if (rc != SequencerError::None) {
        return 0;
    }
    std::uint32_t lastTick = 0;
    for (const SongEvent& e : song.events) {
        require(e.tick >= lastTick, "events in tick order");
        require(e.tick <= song.endTick, "events end by the end tick");
        lastTick = e.tick;
        if (e.isSysEx() || e.isMeta()) {
            require(e.blob < song.blobs.size(), "payload index inside the blob list");
            const Blob& b = song.blobs[e.blob];
            require(std::size_t{b.offset} + b.size <= song.payload.size(),
                    "payload inside the side buffer");
        } else {
            require(e.isChannel(), "only channel, System Exclusive and meta events");
            require(e.data1 < 0x80 && e.data2 < 0x80, "channel data bytes below 0x80");
        }
    }
    require(song.payload.size() <= size, "payload no larger than the file");
    const std::int64_t length = song.lengthNs();
    require(length >= 0, "song length not negative");
    require(song.tempo.nsAt(std::uint32_t{0}) == 0, "song time starts at 0");
    const std::uint32_t back = song.tempo.firstTickAtOrAfter(length);
    require(back <= song.endTick, "the end time maps back to at most the end tick");
    return 0;
}
