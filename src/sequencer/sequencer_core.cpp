#include "sequencer/sequencer_core.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace vesk::sequencer {

using platform::Nanos;

namespace {

constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kSustain = 64;
constexpr std::uint8_t kResetControllers = 121;
constexpr std::uint8_t kAllNotesOff = 123;
// Song positions whose tick is this close to a tempo change count as at the change.
constexpr double kTickSlack = 1e-6;

bool startsWith(std::span<const std::uint8_t> b, std::initializer_list<int> prefix) {
    if (b.size() < prefix.size()) {
        return false;
    }
    std::size_t i = 0;
    for (int v : prefix) {
        if (v >= 0 && b[i] != v) {
            return false;
        }
        ++i;
    }
    return true;
}

// GM System On (levels 1 and 2), GS Reset and XG System On reset every part.
bool isResetSysEx(std::span<const std::uint8_t> b) {
    return startsWith(b, {0xF0, 0x7E, -1, 0x09}) ||
           startsWith(b, {0xF0, 0x41, -1, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00}) ||
           startsWith(b, {0xF0, 0x43, -1, 0x4C, 0x00, 0x00, 0x7E, 0x00});
}

// What a channel has been set to by the events before a position.
struct ChannelState {
    ChannelState() { controllers.fill(-1); }

    void resetControllers() {
        for (int c : {1, 11, 64, 65, 66, 67}) {
            controllers[static_cast<std::size_t>(c)] = -1;
        }
        bend = -1;
        pressure = -1;
        selection.fill(-1);
    }

    std::array<int, 128> controllers{};
    int program = -1;
    int bend = -1;
    int pressure = -1;
    // Registered and non-registered parameters: (kind << 14 | msb << 7 | lsb) -> data.
    std::map<std::uint32_t, std::pair<int, int>> parameters;
    // Last values of controllers 99, 98 (non-registered) and 101, 100 (registered).
    std::array<int, 4> selection{-1, -1, -1, -1};
    bool registeredSelected = true;
};

bool isParameterController(int c) {
    return c == 6 || c == 38 || (c >= 96 && c <= 101);
}

}  // namespace

SequencerCore::SequencerCore(std::shared_ptr<const Song> song)
    : song_(std::move(song)), lengthNs_(song_->lengthNs()) {}

bool SequencerCore::overrideActive() const {
    return overrideBpm_ > 0 && (!overrideEnd_ || anchorTick_ < *overrideEnd_);
}

Nanos SequencerCore::overrideEndWall() const {
    return anchorWall_ + Nanos{std::llround((*overrideEnd_ - anchorTick_) * overrideNsPerTick_)};
}

SequencerCore::Position SequencerCore::positionAt(Nanos now) const {
    if (mode_ != PlayMode::Playing) {
        return {anchorTick_, anchorNs_};
    }
    const TempoMap& tempo = song_->tempo;
    const std::int64_t dt = std::max<std::int64_t>(0, (now - anchorWall_).count());
    Position p{};
    if (overrideActive()) {
        const double tick = anchorTick_ + static_cast<double>(dt) / overrideNsPerTick_;
        if (!overrideEnd_ || tick < *overrideEnd_) {
            p = {tick, static_cast<std::int64_t>(std::floor(tempo.nsAt(tick)))};
        } else {
            const std::int64_t ns = tempo.nsAt(*overrideEnd_) + (now - overrideEndWall()).count();
            p = {tempo.tickAt(ns), ns};
        }
    } else {
        const std::int64_t ns = anchorNs_ + dt;
        p = {tempo.tickAt(ns), ns};
    }
    if (p.ns >= lengthNs_) {
        p = {static_cast<double>(song_->endTick), lengthNs_};
    }
    return p;
}

Nanos SequencerCore::wallForTick(std::uint32_t tick) const {
    const TempoMap& tempo = song_->tempo;
    if (overrideActive()) {
        if (!overrideEnd_ || tick < *overrideEnd_) {
            return anchorWall_ + Nanos{std::llround((tick - anchorTick_) * overrideNsPerTick_)};
        }
        return overrideEndWall() + Nanos{tempo.nsAt(tick) - tempo.nsAt(*overrideEnd_)};
    }
    return anchorWall_ + Nanos{tempo.nsAt(tick) - anchorNs_};
}

PlayMode SequencerCore::mode(Nanos now) const {
    // The end may have passed before the playback thread got round to it.
    if (mode_ == PlayMode::Playing && wallForTick(song_->endTick) <= now) {
        return PlayMode::Stopped;
    }
    return mode_;
}

std::int64_t SequencerCore::positionNs(Nanos now) const {
    return positionAt(now).ns;
}

int SequencerCore::tempoBpm(Nanos now) const {
    const Position p = positionAt(now);
    if (overrideBpm_ > 0 && (!overrideEnd_ || p.tick + kTickSlack < *overrideEnd_)) {
        return overrideBpm_;
    }
    return static_cast<int>(
        std::lround(60e6 / song_->tempo.microsPerQuarterAt(p.tick + kTickSlack)));
}

void SequencerCore::freeze(Nanos now) {
    const Position p = positionAt(now);
    anchorTick_ = p.tick;
    anchorNs_ = p.ns;
    anchorWall_ = now;
    if (overrideBpm_ > 0 && overrideEnd_ && anchorTick_ + kTickSlack >= *overrideEnd_) {
        overrideBpm_ = 0;
    }
}

void SequencerCore::reanchorOverride() {
    if (overrideBpm_ > 0) {
        overrideEnd_ = song_->tempo.nextChangeAfter(anchorTick_ + kTickSlack);
    }
}

void SequencerCore::jumpTo(std::int64_t ns) {
    const TempoMap& tempo = song_->tempo;
    ns = std::clamp<std::int64_t>(ns, 0, lengthNs_);
    anchorNs_ = ns;
    anchorTick_ = std::min(tempo.tickAt(ns), static_cast<double>(song_->endTick));
    const std::uint32_t first = tempo.firstTickAtOrAfter(ns);
    const auto& events = song_->events;
    cursor_ = static_cast<std::size_t>(
        std::lower_bound(events.begin(), events.end(), first,
                         [](const SongEvent& e, std::uint32_t t) { return e.tick < t; }) -
        events.begin());
    atEnd_ = false;
    needChase_ = true;
    mode_ = PlayMode::Stopped;
    reanchorOverride();
}

void SequencerCore::play(Nanos now, Output& out) {
    pump(now, out);
    if (mode_ == PlayMode::Playing) {
        return;
    }
    if (atEnd_) {
        jumpTo(0);
    }
    if (needChase_) {
        chase(now, out);
        needChase_ = false;
    } else {
        // Silencing let the pedal go; hold it again where the song holds it.
        for (std::uint8_t ch = 0; ch < 16; ++ch) {
            if (pedal_[ch] >= 64) {
                const std::uint8_t msg[] = {static_cast<std::uint8_t>(kControlChange | ch),
                                            kSustain, pedal_[ch]};
                sendTracked(msg, now, out);
            }
        }
    }
    mode_ = PlayMode::Playing;
    anchorWall_ = now;
}

void SequencerCore::playFrom(std::int64_t ns, Nanos now, Output& out) {
    seek(ns, now, out);
    play(now, out);
}

void SequencerCore::pause(Nanos now, Output& out) {
    pump(now, out);
    if (mode_ != PlayMode::Playing) {
        return;
    }
    freeze(now);
    silence(now, out);
    mode_ = PlayMode::Paused;
}

void SequencerCore::stop(Nanos now, Output& out) {
    pump(now, out);
    halt(now, out);
}

void SequencerCore::halt(Nanos now, Output& out) {
    if (mode_ == PlayMode::Playing) {
        freeze(now);
        silence(now, out);
    }
    mode_ = PlayMode::Stopped;
}

void SequencerCore::seek(std::int64_t ns, Nanos now, Output& out) {
    stop(now, out);
    jumpTo(ns);
}

void SequencerCore::setTempo(int bpm, Nanos now, Output& out) {
    if (bpm <= 0) {
        return;
    }
    pump(now, out);
    if (mode_ == PlayMode::Playing) {
        freeze(now);
    }
    overrideBpm_ = bpm;
    overrideNsPerTick_ = 60e9 / (bpm * song_->tempo.ticksPerQuarter());
    reanchorOverride();
}

void SequencerCore::pump(Nanos now, Output& out) {
    if (mode_ != PlayMode::Playing) {
        return;
    }
    const auto& events = song_->events;
    while (cursor_ < events.size()) {
        const Nanos due = wallForTick(events[cursor_].tick);
        if (due > now) {
            return;
        }
        dispatch(events[cursor_], due, out);
        ++cursor_;
    }
    const Nanos end = wallForTick(song_->endTick);
    if (end <= now) {
        finish(end, out);
    }
}

std::optional<Nanos> SequencerCore::nextDeadline() const {
    if (mode_ != PlayMode::Playing) {
        return std::nullopt;
    }
    const auto& events = song_->events;
    return wallForTick(cursor_ < events.size() ? events[cursor_].tick : song_->endTick);
}

void SequencerCore::finish(Nanos end, Output& out) {
    silence(end, out);
    anchorTick_ = song_->endTick;
    anchorNs_ = lengthNs_;
    anchorWall_ = end;
    if (overrideBpm_ > 0 && overrideEnd_ && anchorTick_ >= *overrideEnd_) {
        overrideBpm_ = 0;
    }
    mode_ = PlayMode::Stopped;
    atEnd_ = true;
}

void SequencerCore::sendTracked(std::span<const std::uint8_t> message, Nanos due, Output& out) {
    bool heard = true;
    if (!message.empty() && message[0] >= 0x80 && message[0] < 0xF0 && message.size() >= 2) {
        const std::uint8_t ch = message[0] & 0x0F;
        const std::uint8_t kind = message[0] & 0xF0;
        const std::size_t key = ch * 128u + message[1];
        const std::uint8_t velocity = message.size() > 2 ? message[2] : 0;
        heard = filter_.audible(ch);
        if (kind == 0x90 && velocity != 0) {
            if (heard && sounding_[key] < 255) {
                ++sounding_[key];
            }
        } else if ((kind == 0x80 || kind == 0x90) && sounding_[key] > 0) {
            --sounding_[key];
        } else if (kind == kControlChange && message[1] == 0) {
            transposer_.observe(message);
        } else if (kind == kControlChange && message[1] == kSustain) {
            pedal_[ch] = velocity;
        } else if (kind == kControlChange && message[1] == kResetControllers) {
            pedal_[ch] = 0;
        }
    }
    if (heard) {
        out.send(message, due);
    }
}

void SequencerCore::dispatch(const SongEvent& e, Nanos due, Output& out) {
    if (e.isChannel()) {
        std::uint8_t msg[] = {e.status, e.data1, e.data2};
        const int ch = e.status & 0x0F;
        const int kind = e.status & 0xF0;
        int key = e.data1;
        if (e.isNoteOn()) {
            const Transposer::NoteOn on = transposer_.noteOn(ch, e.data1);
            if (on.release != Transposer::kNoKey) {
                const std::uint8_t off[] = {static_cast<std::uint8_t>(0x80 | ch),
                                            static_cast<std::uint8_t>(on.release), 0};
                sendTracked(off, due, out);
            }
            key = on.key;
        } else if (e.isNoteOff()) {
            key = transposer_.noteOff(ch, e.data1);
        } else if (kind == 0xA0) {
            key = transposer_.pressureKey(ch, e.data1);
        }
        if (key == Transposer::kNoKey) {
            return;
        }
        msg[1] = static_cast<std::uint8_t>(key);
        sendTracked(std::span(msg, static_cast<std::size_t>(1 + channelDataLength(e.status))), due,
                    out);
    } else if (e.isSysEx()) {
        sendSysEx(song_->blobBytes(e), due, out);
    }
}

void SequencerCore::sendSysEx(std::span<const std::uint8_t> message, Nanos due, Output& out) {
    if (isResetSysEx(message)) {
        transposer_.resetParts();
    } else {
        transposer_.observe(message);
    }
    out.send(message, due);
}

void SequencerCore::setTranspose(int semitones, Nanos now, Output& out) {
    pump(now, out);
    transposer_.setSemitones(semitones);
}

void SequencerCore::setChannelFilter(ChannelSet muted, ChannelSet soloed, Nanos now, Output& out) {
    pump(now, out);
    const ChannelFilter::Change change = filter_.set(muted, soloed);
    for (int ch = 0; ch < kMaxChannels; ++ch) {
        if (change.silenced.test(static_cast<std::size_t>(ch))) {
            releaseChannel(ch, now, out);
        }
    }
    // After a jump the next play chases every channel anyway.
    if (change.restored.any() && !needChase_) {
        chase(now, out, &change.restored);
    }
}

void SequencerCore::releaseChannel(int channel, Nanos now, Output& out) {
    // A channel of a port this song does not play on has nothing to release.
    if (channel >= static_cast<int>(pedal_.size())) {
        return;
    }
    const auto ch = static_cast<std::uint8_t>(channel);
    for (std::size_t key = 0; key < 128; ++key) {
        std::uint8_t& count = sounding_[ch * 128u + key];
        if (count > 0) {
            const std::uint8_t msg[] = {static_cast<std::uint8_t>(0x80 | ch),
                                        static_cast<std::uint8_t>(key), 0};
            out.send(msg, now);
            count = 0;
        }
    }
    if (song_->channelsUsed & (1u << ch)) {
        const auto status = static_cast<std::uint8_t>(kControlChange | ch);
        const std::uint8_t sustainOff[] = {status, kSustain, 0};
        const std::uint8_t notesOff[] = {status, kAllNotesOff, 0};
        out.send(sustainOff, now);
        out.send(notesOff, now);
    }
}

void SequencerCore::silence(Nanos now, Output& out) {
    for (std::size_t key = 0; key < sounding_.size(); ++key) {
        if (sounding_[key] > 0) {
            const std::uint8_t msg[] = {static_cast<std::uint8_t>(0x80 | (key / 128)),
                                        static_cast<std::uint8_t>(key % 128), 0};
            out.send(msg, now);
        }
    }
    sounding_.fill(0);
    transposer_.forgetNotes();
    for (std::uint8_t ch = 0; ch < 16; ++ch) {
        // A held-back channel was released when it fell silent and has sent nothing since.
        if ((song_->channelsUsed & (1u << ch)) && filter_.audible(ch)) {
            const auto status = static_cast<std::uint8_t>(kControlChange | ch);
            const std::uint8_t sustainOff[] = {status, kSustain, 0};
            const std::uint8_t notesOff[] = {status, kAllNotesOff, 0};
            out.send(sustainOff, now);
            out.send(notesOff, now);
        }
    }
}

void SequencerCore::chase(Nanos now, Output& out, const ChannelSet* only) {
    const Song& song = *song_;
    std::vector<ChannelState> channels(16);
    std::vector<std::size_t> sysEx;
    for (std::size_t i = 0; i < cursor_; ++i) {
        const SongEvent& e = song.events[i];
        if (e.isSysEx()) {
            if (isResetSysEx(song.blobBytes(e))) {
                channels.assign(16, ChannelState{});
            }
            sysEx.push_back(i);
            continue;
        }
        if (!e.isChannel()) {
            continue;
        }
        ChannelState& c = channels[e.status & 0x0F];
        switch (e.status & 0xF0) {
            case 0xB0: {
                const int v = e.data2;
                switch (e.data1) {
                    case 99:
                    case 98:
                        c.selection[99 - e.data1] = v;
                        c.registeredSelected = false;
                        break;
                    case 101:
                    case 100:
                        c.selection[2 + 101 - e.data1] = v;
                        c.registeredSelected = true;
                        break;
                    case 6:
                    case 38: {
                        const int base = c.registeredSelected ? 2 : 0;
                        const int msb = c.selection[static_cast<std::size_t>(base)];
                        const int lsb = c.selection[static_cast<std::size_t>(base + 1)];
                        if (msb < 0 || lsb < 0 || (msb == 127 && lsb == 127)) {
                            break;
                        }
                        const auto id = static_cast<std::uint32_t>(
                            (c.registeredSelected ? 1 : 0) << 14 | msb << 7 | lsb);
                        auto& data = c.parameters.try_emplace(id, -1, -1).first->second;
                        (e.data1 == 6 ? data.first : data.second) = v;
                        break;
                    }
                    case kResetControllers:
                        c.resetControllers();
                        break;
                    default:
                        if (e.data1 < 120 && !isParameterController(e.data1)) {
                            c.controllers[e.data1] = v;
                        }
                        break;
                }
                break;
            }
            case 0xC0:
                c.program = e.data1;
                break;
            case 0xD0:
                c.pressure = e.data1;
                break;
            case 0xE0:
                c.bend = e.data1 | e.data2 << 7;
                break;
            default:
                break;
        }
    }

    if (only == nullptr) {
        transposer_.resetParts();
        for (std::size_t i : sysEx) {
            sendSysEx(song.blobBytes(song.events[i]), now, out);
        }
    }
    for (std::uint8_t ch = 0; ch < 16; ++ch) {
        if (!(song.channelsUsed & (1u << ch)) || (only != nullptr && !only->test(ch))) {
            continue;
        }
        const ChannelState& c = channels[ch];
        const auto cc = static_cast<std::uint8_t>(kControlChange | ch);
        auto control = [&](int number, int value) {
            const std::uint8_t msg[] = {cc, static_cast<std::uint8_t>(number),
                                        static_cast<std::uint8_t>(value)};
            sendTracked(msg, now, out);
        };
        control(kResetControllers, 0);
        // Bank select takes effect with the program change that follows it.
        for (int number : {0, 32}) {
            if (c.controllers[static_cast<std::size_t>(number)] >= 0) {
                control(number, c.controllers[static_cast<std::size_t>(number)]);
            }
        }
        if (c.program >= 0) {
            const std::uint8_t msg[] = {static_cast<std::uint8_t>(0xC0 | ch),
                                        static_cast<std::uint8_t>(c.program)};
            sendTracked(msg, now, out);
        }
        for (int number = 1; number < 120; ++number) {
            if (number != 32 && !isParameterController(number) &&
                c.controllers[static_cast<std::size_t>(number)] >= 0) {
                control(number, c.controllers[static_cast<std::size_t>(number)]);
            }
        }
        for (const auto& [id, data] : c.parameters) {
            const bool registered = (id >> 14) != 0;
            control(registered ? 101 : 99, static_cast<int>(id >> 7 & 0x7F));
            control(registered ? 100 : 98, static_cast<int>(id & 0x7F));
            if (data.first >= 0) {
                control(6, data.first);
            }
            if (data.second >= 0) {
                control(38, data.second);
            }
        }
        const int base = c.registeredSelected ? 2 : 0;
        if (c.selection[static_cast<std::size_t>(base)] >= 0 &&
            c.selection[static_cast<std::size_t>(base + 1)] >= 0) {
            control(c.registeredSelected ? 101 : 99, c.selection[static_cast<std::size_t>(base)]);
            control(c.registeredSelected ? 100 : 98,
                    c.selection[static_cast<std::size_t>(base + 1)]);
        }
        if (c.bend >= 0) {
            const std::uint8_t msg[] = {static_cast<std::uint8_t>(0xE0 | ch),
                                        static_cast<std::uint8_t>(c.bend & 0x7F),
                                        static_cast<std::uint8_t>(c.bend >> 7)};
            sendTracked(msg, now, out);
        }
        if (c.pressure >= 0) {
            const std::uint8_t msg[] = {static_cast<std::uint8_t>(0xD0 | ch),
                                        static_cast<std::uint8_t>(c.pressure)};
            sendTracked(msg, now, out);
        }
    }
}

}  // namespace vesk::sequencer
