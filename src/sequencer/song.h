#pragma once
// A Standard MIDI File read into one merged, time-ordered list of events.
//
// Order of events that share a tick: track order (for format 2, sequence order), then the
// order in the file, with one exception: a note-off that ends a note begun at an earlier
// tick is moved before a note-on of the same channel and key at that tick. Files often
// write "restrike" pairs in either order; moved this way the new note sounds its full
// length instead of being cut at once. A note that begins and ends at the same tick
// (on, then off) keeps its order, so it is still switched off and never hangs.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/midi_port.h"
#include "sequencer/tempo_map.h"

namespace vesk::sequencer {

inline constexpr std::uint8_t kSysExStatus = 0xF0;
inline constexpr std::uint8_t kMetaStatus = 0xFF;

// One event, packed to 12 bytes so that very long files stay small in memory. Payloads of
// System Exclusive and meta events live in the song's side buffer.
struct SongEvent {
    std::uint32_t tick = 0;
    std::uint8_t status = 0;  // channel status, kSysExStatus or kMetaStatus
    std::uint8_t data1 = 0;   // for meta events, the meta type
    std::uint8_t data2 = 0;
    platform::MidiPort port = platform::MidiPort::A;  // of channel and System Exclusive events
    std::uint32_t blob = 0;  // System Exclusive and meta: index into Song::blobs

    // For channel events: port * 16 + channel.
    int channelIndex() const { return platform::channelIndex(port, status & 0x0F); }
    bool isChannel() const { return status >= 0x80 && status < 0xF0; }
    bool isSysEx() const { return status == kSysExStatus; }
    bool isMeta() const { return status == kMetaStatus; }
    bool isNoteOn() const { return (status & 0xF0) == 0x90 && data2 != 0; }
    bool isNoteOff() const {
        return (status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && data2 == 0);
    }
};
static_assert(sizeof(SongEvent) == 12);

// Number of data bytes after a channel status byte.
inline int channelDataLength(std::uint8_t status) {
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

struct Blob {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// What went wrong while reading; the song holds what could be read.
enum SongDamage : std::uint32_t {
    kDamageNone = 0,
    kDamageTruncatedTrack = 1u << 0,     // a track runs past the end of the file
    kDamageMissingEndOfTrack = 1u << 1,  // a track ends without End of Track
    kDamageBadVlq = 1u << 2,             // a number longer than four bytes
    kDamageNoRunningStatus = 1u << 3,    // data bytes with no status to apply them to
    kDamageIllegalStatus = 1u << 4,      // system common or real-time bytes in a track
    kDamageForeignChunk = 1u << 5,       // chunks other than tracks, or stray bytes
    kDamageBadData = 1u << 6,            // a status byte where a data byte belongs
    kDamageUnfinishedSysEx = 1u << 7,    // a System Exclusive message without its F7
    kDamageTickOverflow = 1u << 8,       // times beyond the representable range
    kDamageTrackCount = 1u << 9,         // track chunks found differ from the header count
};

struct Song {
    int format = 0;
    int declaredTracks = 0;  // the header's track count
    int trackChunks = 0;     // track chunks actually read
    std::uint16_t division = 0;

    std::vector<SongEvent> events;
    std::vector<Blob> blobs;
    std::vector<std::uint8_t> payload;
    TempoMap tempo;

    // The tick of the last End of Track (or of the last event, if later).
    std::uint32_t endTick = 0;
    std::uint32_t channelsUsed = 0;  // bit n: channel index n has events
    std::uint32_t damage = kDamageNone;

    std::span<const std::uint8_t> blobBytes(const SongEvent& e) const {
        const Blob& b = blobs[e.blob];
        return {payload.data() + b.offset, b.size};
    }
    std::int64_t lengthNs() const { return tempo.nsAt(endTick); }
    // Heap bytes held by the song.
    std::size_t residentBytes() const {
        return events.capacity() * sizeof(SongEvent) + blobs.capacity() * sizeof(Blob) +
               payload.capacity();
    }
};

}  // namespace vesk::sequencer
