#include "sequencer/smf_reader.h"

#include <algorithm>
#include <array>
#include <limits>
#include <queue>
#include <string_view>

#include "sequencer/sequencer_errors.h"
#include "sequencer/sequencer_log.h"

namespace vesk::sequencer {

namespace {

using Bytes = std::span<const std::uint8_t>;

// Junk before the header (such as a Macintosh file header) is skipped up to this far.
constexpr std::size_t kHeaderSearchLimit = 1024;
constexpr std::uint32_t kMaxTick = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint8_t kEndOfTrack = 0x2F;
constexpr std::uint8_t kSetTempo = 0x51;
constexpr std::uint8_t kPortPrefix = 0x21;

std::uint32_t be32(Bytes b, std::size_t p) {
    return std::uint32_t{b[p]} << 24 | std::uint32_t{b[p + 1]} << 16 |
           std::uint32_t{b[p + 2]} << 8 | b[p + 3];
}

std::uint32_t le32(Bytes b, std::size_t p) {
    return std::uint32_t{b[p + 3]} << 24 | std::uint32_t{b[p + 2]} << 16 |
           std::uint32_t{b[p + 1]} << 8 | b[p];
}

bool tagAt(Bytes b, std::size_t p, std::string_view tag) {
    if (p > b.size() || b.size() - p < tag.size()) {
        return false;
    }
    return std::equal(tag.begin(), tag.end(), b.begin() + static_cast<std::ptrdiff_t>(p),
                      [](char c, std::uint8_t u) { return static_cast<std::uint8_t>(c) == u; });
}

std::size_t find(Bytes b, std::string_view tag, std::size_t from, std::size_t limit) {
    limit = std::min(limit, b.size());
    for (std::size_t p = from; p + tag.size() <= limit; ++p) {
        if (tagAt(b, p, tag)) {
            return p;
        }
    }
    return std::string_view::npos;
}

// A chunk header whose tag is four printable characters.
bool plausibleChunkAt(Bytes b, std::size_t p) {
    if (p > b.size() || b.size() - p < 8) {
        return false;
    }
    return std::all_of(b.begin() + static_cast<std::ptrdiff_t>(p),
                       b.begin() + static_cast<std::ptrdiff_t>(p + 4),
                       [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

// Data bytes that follow a system common or real-time status byte on the wire.
int systemDataLength(std::uint8_t status) {
    switch (status) {
        case 0xF1:
        case 0xF3:
            return 1;
        case 0xF2:
            return 2;
        default:
            return 0;
    }
}

struct TrackRange {
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct TempoAt {
    std::uint32_t tick;
    std::uint32_t micros;
};

class TrackParser {
  public:
    TrackParser(Song& song, std::vector<SongEvent>& events, std::vector<TempoAt>& tempos)
        : song_(song), events_(events), tempos_(tempos) {}

    struct Result {
        std::uint32_t endTick = 0;
        std::size_t consumed = 0;
    };

    Result parse(Bytes data, std::uint32_t offset) {
        data_ = data;
        pos_ = 0;
        std::uint64_t tick = offset;
        std::uint8_t running = 0;
        std::uint32_t lastTick = offset;
        // A port prefix holds for the rest of its track only.
        port_ = platform::MidiPort::A;
        bool ended = false;
        while (!ended) {
            if (pos_ >= data_.size()) {
                damage(kDamageMissingEndOfTrack);
                break;
            }
            std::uint32_t delta = 0;
            if (!readVlq(delta)) {
                break;
            }
            tick += delta;
            if (tick > kMaxTick) {
                damage(kDamageTickOverflow);
                break;
            }
            const auto t = static_cast<std::uint32_t>(tick);
            if (pos_ >= data_.size()) {
                damage(kDamageMissingEndOfTrack);
                break;
            }
            const std::uint8_t b = data_[pos_];
            if (b == kMetaStatus) {
                const auto r = readMeta(t);
                if (r == Step::End) {
                    lastTick = t;
                    ended = true;
                    continue;
                }
                if (r == Step::Stop) {
                    break;
                }
            } else if (b == 0xF0 || b == 0xF7) {
                if (!readSysEx(t)) {
                    break;
                }
            } else if (b > 0xF0) {
                damage(kDamageIllegalStatus);
                ++pos_;
                for (int i = 0;
                     i < systemDataLength(b) && pos_ < data_.size() && data_[pos_] < 0x80; ++i) {
                    ++pos_;
                }
                continue;
            } else {
                std::uint8_t status = running;
                if (b & 0x80) {
                    status = b;
                    ++pos_;
                } else if (running == 0) {
                    damage(kDamageNoRunningStatus);
                    break;
                }
                // Running status survives meta events and System Exclusive: files rely on it.
                running = status;
                finishSysEx();
                const int n = channelDataLength(status);
                if (data_.size() - pos_ < static_cast<std::size_t>(n)) {
                    damage(kDamageTruncatedTrack);
                    break;
                }
                std::uint8_t d1 = data_[pos_];
                std::uint8_t d2 = n == 2 ? data_[pos_ + 1] : 0;
                if ((d1 | d2) & 0x80) {
                    damage(kDamageBadData);
                    d1 &= 0x7F;
                    d2 &= 0x7F;
                }
                pos_ += static_cast<std::size_t>(n);
                addChannel(t, status, d1, d2);
            }
            lastTick = t;
        }
        finishSysEx();
        return {lastTick, pos_};
    }

  private:
    enum class Step { Next, End, Stop };

    void damage(std::uint32_t what) { song_.damage |= what; }

    bool readVlq(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (pos_ >= data_.size()) {
                damage(kDamageTruncatedTrack);
                return false;
            }
            const std::uint8_t c = data_[pos_++];
            value = value << 7 | (c & 0x7F);
            if (!(c & 0x80)) {
                return true;
            }
        }
        damage(kDamageBadVlq);
        return false;
    }

    // Reads a length and the bytes it announces.
    bool readBody(Bytes& body) {
        std::uint32_t len = 0;
        if (!readVlq(len)) {
            return false;
        }
        if (len > data_.size() - pos_) {
            damage(kDamageTruncatedTrack);
            return false;
        }
        body = data_.subspan(pos_, len);
        pos_ += len;
        return true;
    }

    Step readMeta(std::uint32_t tick) {
        if (data_.size() - pos_ < 2) {
            damage(kDamageTruncatedTrack);
            return Step::Stop;
        }
        const std::uint8_t type = data_[pos_ + 1];
        pos_ += 2;
        if (type == kEndOfTrack) {
            // Its length byte is not needed; files cut right after the type still end here.
            Bytes ignored;
            readBody(ignored);
            return Step::End;
        }
        Bytes body;
        if (!readBody(body)) {
            return Step::Stop;
        }
        if (type == kPortPrefix && body.size() == 1) {
            port_ = platform::portFromNumber(body[0]);
        }
        if (type == kSetTempo && body.size() >= 3) {
            tempos_.push_back(
                {tick, std::uint32_t{body[0]} << 16 | std::uint32_t{body[1]} << 8 | body[2]});
        }
        SongEvent e;
        e.tick = tick;
        e.status = kMetaStatus;
        e.data1 = type;
        e.blob = addBlob(body);
        events_.push_back(e);
        return Step::Next;
    }

    bool readSysEx(std::uint32_t tick) {
        const std::uint8_t kind = data_[pos_++];
        Bytes body;
        if (!readBody(body)) {
            return false;
        }
        if (kind == 0xF0) {
            finishSysEx();
            pending_.assign(1, 0xF0);
            pending_.insert(pending_.end(), body.begin(), body.end());
            pendingIndex_ = events_.size();
            SongEvent e;
            e.tick = tick;
            e.status = kSysExStatus;
            e.port = port_;
            events_.push_back(e);
            sysExOpen_ = true;
        } else if (sysExOpen_) {
            pending_.insert(pending_.end(), body.begin(), body.end());
        } else {
            readEscape(tick, body);
            return true;
        }
        if (pending_.back() == 0xF7) {
            closeSysEx();
        }
        return true;
    }

    void finishSysEx() {
        if (sysExOpen_) {
            damage(kDamageUnfinishedSysEx);
            pending_.push_back(0xF7);
            closeSysEx();
        }
    }

    void closeSysEx() {
        events_[pendingIndex_].blob = addBlob(pending_);
        sysExOpen_ = false;
        pending_.clear();
    }

    // An F7 escape carries raw bytes; the complete messages among them are kept.
    void readEscape(std::uint32_t tick, Bytes raw) {
        std::size_t i = 0;
        while (i < raw.size()) {
            const std::uint8_t b = raw[i];
            if (b == 0xF0) {
                std::size_t j = i + 1;
                while (j < raw.size() && raw[j] != 0xF7) {
                    ++j;
                }
                if (j == raw.size()) {
                    damage(kDamageUnfinishedSysEx);
                    break;
                }
                SongEvent e;
                e.tick = tick;
                e.status = kSysExStatus;
                e.port = port_;
                e.blob = addBlob(raw.subspan(i, j - i + 1));
                events_.push_back(e);
                i = j + 1;
            } else if (b >= 0x80 && b < 0xF0) {
                const auto n = static_cast<std::size_t>(channelDataLength(b));
                if (raw.size() - i - 1 < n || raw[i + 1] >= 0x80 ||
                    (n == 2 && raw[i + 2] >= 0x80)) {
                    ++i;
                    continue;
                }
                addChannel(tick, b, raw[i + 1], n == 2 ? raw[i + 2] : 0);
                i += 1 + n;
            } else {
                ++i;
            }
        }
    }

    void addChannel(std::uint32_t tick, std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
        SongEvent e;
        e.tick = tick;
        e.status = status;
        e.data1 = d1;
        e.data2 = d2;
        e.port = port_;
        events_.push_back(e);
        song_.channelsUsed |= 1u << e.channelIndex();
    }

    template <typename Range>
    std::uint32_t addBlob(const Range& bytes) {
        Blob b;
        b.offset = static_cast<std::uint32_t>(song_.payload.size());
        b.size = static_cast<std::uint32_t>(std::size(bytes));
        song_.payload.insert(song_.payload.end(), std::begin(bytes), std::end(bytes));
        song_.blobs.push_back(b);
        return static_cast<std::uint32_t>(song_.blobs.size() - 1);
    }

    Song& song_;
    std::vector<SongEvent>& events_;
    std::vector<TempoAt>& tempos_;
    Bytes data_;
    std::size_t pos_ = 0;
    std::vector<std::uint8_t> pending_;
    std::size_t pendingIndex_ = 0;
    bool sysExOpen_ = false;
    platform::MidiPort port_ = platform::MidiPort::A;
};

// Merges the tracks (each in time order) into one list: by tick, then by track order.
std::vector<SongEvent> mergeTracks(const std::vector<SongEvent>& all,
                                   const std::vector<TrackRange>& tracks) {
    std::uint32_t lastTick = 0;
    for (const TrackRange& t : tracks) {
        if (t.end > t.begin) {
            lastTick = std::max(lastTick, all[t.end - 1].tick);
        }
    }
    // Songs whose ticks are few against their events (all real ones) are merged by counting
    // events per tick, which keeps track and file order without comparisons.
    if (std::size_t{lastTick} <= 4 * all.size() + 1024) {
        std::vector<std::uint32_t> start(std::size_t{lastTick} + 2, 0);
        for (const SongEvent& e : all) {
            ++start[std::size_t{e.tick} + 1];
        }
        for (std::size_t i = 1; i < start.size(); ++i) {
            start[i] += start[i - 1];
        }
        std::vector<SongEvent> merged(all.size());
        for (const SongEvent& e : all) {
            merged[start[e.tick]++] = e;
        }
        return merged;
    }
    std::vector<SongEvent> merged;
    merged.reserve(all.size());
    using Head = std::pair<std::uint32_t, std::size_t>;  // tick, track number
    std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
    std::vector<std::size_t> next(tracks.size());
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        next[i] = tracks[i].begin;
        if (next[i] < tracks[i].end) {
            heads.emplace(all[next[i]].tick, i);
        }
    }
    while (!heads.empty()) {
        const std::size_t t = heads.top().second;
        heads.pop();
        const std::uint32_t tick = all[next[t]].tick;
        // Take the whole run of this track at this tick at once.
        while (next[t] < tracks[t].end && all[next[t]].tick == tick) {
            merged.push_back(all[next[t]++]);
        }
        if (next[t] < tracks[t].end) {
            heads.emplace(all[next[t]].tick, t);
        }
    }
    return merged;
}

// Applies the same-tick rule for note-off and note-on described in song.h.
void orderRestrikes(std::vector<SongEvent>& events) {
    constexpr std::size_t kKeys = platform::kChannelIndexes * 128;
    std::array<std::uint16_t, kKeys> sounding{};
    std::array<std::uint16_t, kKeys> early{};
    std::array<bool, kKeys> onInGroup{};
    std::vector<SongEvent> group;
    std::vector<bool> moved;
    // The moved note-offs of each key, in file order, as a list threaded through `nextMoved`:
    // each is emitted once, so a tick with many notes stays linear.
    std::array<std::int32_t, kKeys> firstMoved{};
    std::array<std::int32_t, kKeys> lastMoved{};
    std::vector<std::int32_t> nextMoved;
    std::size_t i = 0;
    while (i < events.size()) {
        std::size_t j = i;
        bool mixed = false;
        bool hasOn = false;
        while (j < events.size() && events[j].tick == events[i].tick) {
            hasOn = hasOn || events[j].isNoteOn();
            mixed = mixed || (hasOn && events[j].isNoteOff());
            ++j;
        }
        auto key = [](const SongEvent& e) { return e.channelIndex() * 128 + e.data1; };
        if (mixed) {
            group.assign(events.begin() + static_cast<std::ptrdiff_t>(i),
                         events.begin() + static_cast<std::ptrdiff_t>(j));
            moved.assign(group.size(), false);
            nextMoved.assign(group.size(), -1);
            for (const SongEvent& e : group) {
                if (e.isNoteOn() || e.isNoteOff()) {
                    early[key(e)] = sounding[key(e)];
                    onInGroup[key(e)] = false;
                    firstMoved[key(e)] = -1;
                    lastMoved[key(e)] = -1;
                }
            }
            for (std::size_t k = 0; k < group.size(); ++k) {
                const SongEvent& e = group[k];
                if (e.isNoteOn()) {
                    onInGroup[key(e)] = true;
                } else if (e.isNoteOff() && early[key(e)] > 0) {
                    --early[key(e)];
                    moved[k] = onInGroup[key(e)];
                    if (moved[k]) {
                        const auto index = static_cast<std::int32_t>(k);
                        if (lastMoved[key(e)] < 0) {
                            firstMoved[key(e)] = index;
                        } else {
                            nextMoved[static_cast<std::size_t>(lastMoved[key(e)])] = index;
                        }
                        lastMoved[key(e)] = index;
                    }
                }
            }
            std::size_t out = i;
            for (std::size_t k = 0; k < group.size(); ++k) {
                if (moved[k]) {
                    continue;
                }
                if (group[k].isNoteOn()) {
                    // Moved note-offs of this key go right before its first note-on; every
                    // one of them comes after that note-on in the file.
                    const int note = key(group[k]);
                    for (std::int32_t m = firstMoved[note]; m >= 0;
                         m = nextMoved[static_cast<std::size_t>(m)]) {
                        events[out++] = group[static_cast<std::size_t>(m)];
                    }
                    firstMoved[note] = -1;
                }
                events[out++] = group[k];
            }
        }
        for (std::size_t k = i; k < j; ++k) {
            const SongEvent& e = events[k];
            if (e.isNoteOn()) {
                ++sounding[key(e)];
            } else if (e.isNoteOff() && sounding[key(e)] > 0) {
                --sounding[key(e)];
            }
        }
        i = j;
    }
}

}  // namespace

SequencerError readSmf(std::span<const std::uint8_t> bytes, Song& song) {
    song = Song{};
    Bytes smf = bytes;
    if (tagAt(bytes, 0, "RIFF")) {
        if (!tagAt(bytes, 8, "RMID")) {
            return SequencerError::NotMidiFile;
        }
        smf = {};
        std::size_t p = 12;
        while (p + 8 <= bytes.size()) {
            const std::uint32_t size = le32(bytes, p + 4);
            if (tagAt(bytes, p, "data")) {
                smf = bytes.subspan(p + 8, std::min<std::size_t>(size, bytes.size() - p - 8));
                break;
            }
            p += 8 + std::size_t{size} + (size & 1);
        }
    }
    const std::size_t head = find(smf, "MThd", 0, kHeaderSearchLimit + 4);
    if (head == std::string_view::npos) {
        return SequencerError::NotMidiFile;
    }
    smf = smf.subspan(head);
    if (smf.size() < 14 || be32(smf, 4) < 6) {
        return SequencerError::BadHeader;
    }
    song.format = smf[8] << 8 | smf[9];
    song.declaredTracks = smf[10] << 8 | smf[11];
    song.division = static_cast<std::uint16_t>(smf[12] << 8 | smf[13]);
    const bool smpte = (song.division & 0x8000) != 0;
    const int fps = -static_cast<std::int8_t>(song.division >> 8);
    const int ticksPerFrame = song.division & 0xFF;
    if (song.division == 0 || (smpte && (fps <= 0 || ticksPerFrame == 0))) {
        return SequencerError::BadHeader;
    }

    std::size_t pos = 8 + std::size_t{be32(smf, 4)};
    if (pos > smf.size()) {
        song.damage |= kDamageTruncatedTrack;
        pos = 14;
    }
    std::vector<SongEvent> all;
    // An event takes at least two bytes of the file. Reserving for that many costs only
    // address space, and spares the copying and page faults of growing step by step.
    all.reserve(smf.size() / 2);
    std::vector<TrackRange> tracks;
    std::vector<TempoAt> tempos;
    TrackParser parser(song, all, tempos);
    const bool sequential = song.format == 2;
    std::uint32_t offset = 0;
    std::uint32_t endTick = 0;
    while (pos + 8 <= smf.size() && song.trackChunks < kMaxTrackChunks) {
        if (!plausibleChunkAt(smf, pos)) {
            song.damage |= kDamageForeignChunk;
            pos = find(smf, "MTrk", pos + 1, smf.size());
            // A tag in the last bytes has no room left for its length field.
            if (pos == std::string_view::npos || pos + 8 > smf.size()) {
                break;
            }
        }
        const std::uint32_t len = be32(smf, pos + 4);
        const std::size_t bodyStart = pos + 8;
        const std::size_t stated = bodyStart + std::size_t{len};
        if (!tagAt(smf, pos, "MTrk")) {
            song.damage |= kDamageForeignChunk;
            pos = stated;
            continue;
        }
        if (stated > smf.size()) {
            song.damage |= kDamageTruncatedTrack;
        }
        const std::size_t bodyEnd = std::min(stated, smf.size());
        if (sequential) {
            tempos.push_back({offset, 500000});
        }
        const std::size_t first = all.size();
        const auto r = parser.parse(smf.subspan(bodyStart, bodyEnd - bodyStart), offset);
        ++song.trackChunks;
        tracks.push_back({first, all.size()});
        endTick = std::max(endTick, r.endTick);
        if (sequential) {
            offset = r.endTick;
        }
        // A wrong length field: when the next chunk is where the track really ended, go on there.
        const std::size_t real = bodyStart + r.consumed;
        pos = stated;
        if (!plausibleChunkAt(smf, stated) && tagAt(smf, real, "MTrk")) {
            song.damage |= kDamageForeignChunk;
            pos = real;
        }
    }
    if (pos < smf.size() && !plausibleChunkAt(smf, pos)) {
        song.damage |= kDamageForeignChunk;
    }
    if (song.trackChunks == 0) {
        return SequencerError::NoTracks;
    }
    if (song.trackChunks != song.declaredTracks) {
        song.damage |= kDamageTrackCount;
    }

    song.events = sequential || tracks.size() == 1 ? std::move(all) : mergeTracks(all, tracks);
    std::vector<SongEvent>().swap(all);
    orderRestrikes(song.events);
    song.events.shrink_to_fit();
    song.blobs.shrink_to_fit();
    song.payload.shrink_to_fit();
    if (!song.events.empty()) {
        endTick = std::max(endTick, song.events.back().tick);
    }
    song.endTick = endTick;

    if (smpte) {
        song.tempo = TempoMap::smpte(fps, ticksPerFrame);
    } else {
        std::stable_sort(tempos.begin(), tempos.end(),
                         [](const TempoAt& a, const TempoAt& b) { return a.tick < b.tick; });
        std::vector<TempoChange> changes;
        changes.reserve(tempos.size());
        for (const TempoAt& t : tempos) {
            changes.push_back({t.tick, t.micros});
        }
        song.tempo = TempoMap::metrical(song.division, changes);
    }
    if (song.damage != kDamageNone) {
        qCDebug(lcSequencer) << "MIDI file read with damage flags" << Qt::hex << song.damage;
    }
    return SequencerError::None;
}

}  // namespace vesk::sequencer
