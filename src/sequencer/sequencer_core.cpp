#include "sequencer/sequencer_core.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace vesk::sequencer {

using platform::kChannelIndexes;
using platform::MidiPort;
using platform::Nanos;

namespace {

constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kVolume = 7;
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

// The status byte of a channel message of `kind` for channel index `channel`.
std::uint8_t statusFor(std::uint8_t kind, int channel) {
    return static_cast<std::uint8_t>(kind | (channel & 0x0F));
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
    if (mode_ == PlayMode::Playing) {
        const auto boundary = loop_.boundary(song_->tempo);
        if (!(boundary && boundary->jump) &&
            wallForTick(boundary ? boundary->tick : song_->endTick) <= now) {
            return PlayMode::Stopped;
        }
    }
    return mode_;
}

std::int64_t SequencerCore::positionNs(Nanos now) const {
    return loop_.playedNs(positionAt(now).ns);
}

std::int64_t SequencerCore::songPositionNs(Nanos now) const {
    return positionAt(now).ns;
}

std::int64_t SequencerCore::lengthNs() const {
    return loop_.plan() ? loop_.plan()->playedLengthNs() : lengthNs_;
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

void SequencerCore::jumpToPlayed(std::int64_t playedNs) {
    jumpTo(loop_.moveTo(playedNs));
}

void SequencerCore::play(Nanos now, Output& out) {
    pump(now, out);
    if (mode_ == PlayMode::Playing) {
        return;
    }
    if (atEnd_) {
        jumpToPlayed(0);
    }
    if (needChase_) {
        chase(now, out);
        needChase_ = false;
    } else {
        // Silencing let the pedal go; hold it again where the song holds it.
        for (int ch = 0; ch < kChannelIndexes; ++ch) {
            const std::uint8_t pedal = pedal_[static_cast<std::size_t>(ch)];
            if (pedal >= 64) {
                const std::uint8_t msg[] = {statusFor(kControlChange, ch), kSustain, pedal};
                sendTracked(msg, ch, now, out);
            }
        }
    }
    loop_.applyFade(song_->channelsUsed, now, out);
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
    loop_.restoreVolumes(song_->channelsUsed, now, out);
    mode_ = PlayMode::Stopped;
}

void SequencerCore::seek(std::int64_t ns, Nanos now, Output& out) {
    stop(now, out);
    jumpToPlayed(ns);
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

std::optional<SequencerCore::Step> SequencerCore::nextStep() const {
    if (mode_ != PlayMode::Playing) {
        return std::nullopt;
    }
    // A pass of a looped song ends before the events at its boundary; a song played as
    // written sends everything up to its end.
    const auto boundary = loop_.boundary(song_->tempo);
    const auto& events = song_->events;
    std::optional<Step> event;
    if (cursor_ < events.size() && (!boundary || events[cursor_].tick < boundary->tick)) {
        event = Step{wallForTick(events[cursor_].tick), StepKind::Event, events[cursor_].tick};
    }
    if (const auto fadeTick = loop_.nextFadeTick(song_->tempo)) {
        const Step fade{wallForTick(*fadeTick), StepKind::Fade, *fadeTick};
        if (!event || fade.due < event->due) {
            return fade;
        }
    }
    if (event) {
        return event;
    }
    const std::uint32_t endTick = boundary ? boundary->tick : song_->endTick;
    return Step{wallForTick(endTick),
                boundary && boundary->jump ? StepKind::LoopBack : StepKind::End, endTick};
}

void SequencerCore::pump(Nanos now, Output& out) {
    while (const auto step = nextStep()) {
        if (step->due > now) {
            return;
        }
        switch (step->kind) {
            case StepKind::Event:
                dispatch(song_->events[cursor_], step->due, out);
                ++cursor_;
                break;
            case StepKind::Fade:
                loop_.fadeStep(song_->channelsUsed, step->due, out);
                break;
            case StepKind::LoopBack:
                loopBack(step->due, out);
                break;
            case StepKind::End:
                finish(step->due, step->tick, out);
                break;
        }
    }
}

std::optional<Nanos> SequencerCore::nextDeadline() const {
    const auto step = nextStep();
    return step ? std::optional<Nanos>(step->due) : std::nullopt;
}

void SequencerCore::loopBack(Nanos due, Output& out) {
    const LoopPlan& plan = *loop_.plan();
    silence(due, out);
    // A set tempo that ran out before the loop end is not brought back by the jump.
    if (overrideBpm_ > 0 && overrideEnd_ && *overrideEnd_ <= plan.endTick) {
        overrideBpm_ = 0;
    }
    loop_.jumped();
    jumpTo(plan.startNs);
    chase(due, out, plan.sysExInLoop);
    needChase_ = false;
    mode_ = PlayMode::Playing;
    anchorWall_ = due;
}

void SequencerCore::setLoops(int passes, Nanos now, Output& out) {
    pump(now, out);
    const std::int64_t played = positionNs(now);
    if (mode_ == PlayMode::Playing) {
        freeze(now);
    }
    passes = std::clamp(passes, 0, kMaxLoopPasses);
    loop_.setPlan(planLoop(*song_, passes, kDefaultFadeNs), passes, played);
    if (mode_ == PlayMode::Playing) {
        loop_.applyFade(song_->channelsUsed, now, out);
    } else {
        loop_.restoreVolumes(song_->channelsUsed, now, out);
    }
}

void SequencerCore::finish(Nanos end, std::uint32_t tick, Output& out) {
    silence(end, out);
    loop_.restoreVolumes(song_->channelsUsed, end, out);
    anchorTick_ = tick;
    anchorNs_ = song_->tempo.nsAt(tick);
    anchorWall_ = end;
    if (overrideBpm_ > 0 && overrideEnd_ && anchorTick_ >= *overrideEnd_) {
        overrideBpm_ = 0;
    }
    mode_ = PlayMode::Stopped;
    atEnd_ = true;
}

void SequencerCore::sendTracked(std::span<const std::uint8_t> message, int channel, Nanos due,
                                Output& out) {
    const MidiPort port = platform::portOfIndex(channel);
    bool heard = true;
    if (!message.empty() && message[0] >= 0x80 && message[0] < 0xF0 && message.size() >= 2) {
        const auto ch = static_cast<std::size_t>(channel);
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
            transposer_.observe(message, port);
        } else if (kind == kControlChange && message[1] == kVolume) {
            const std::uint8_t volume = loop_.volumeToSend(channel, velocity);
            if (volume != velocity) {
                const std::uint8_t faded[] = {message[0], kVolume, volume};
                out.send(faded, due, port);
                return;
            }
        } else if (kind == kControlChange && message[1] == kSustain) {
            pedal_[ch] = velocity;
        } else if (kind == kControlChange && message[1] == kResetControllers) {
            pedal_[ch] = 0;
        }
    }
    if (heard) {
        out.send(message, due, port);
    }
}

void SequencerCore::dispatch(const SongEvent& e, Nanos due, Output& out) {
    if (e.isChannel()) {
        std::uint8_t msg[] = {e.status, e.data1, e.data2};
        const int ch = e.channelIndex();
        const int kind = e.status & 0xF0;
        int key = e.data1;
        if (e.isNoteOn()) {
            const Transposer::NoteOn on = transposer_.noteOn(ch, e.data1);
            if (on.release != Transposer::kNoKey) {
                const std::uint8_t off[] = {statusFor(0x80, ch),
                                            static_cast<std::uint8_t>(on.release), 0};
                sendTracked(off, ch, due, out);
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
        sendTracked(std::span(msg, static_cast<std::size_t>(1 + channelDataLength(e.status))), ch,
                    due, out);
    } else if (e.isSysEx()) {
        sendSysEx(song_->blobBytes(e), e.port, due, out);
    }
}

void SequencerCore::sendSysEx(std::span<const std::uint8_t> message, MidiPort port, Nanos due,
                              Output& out) {
    if (isResetSysEx(message)) {
        transposer_.resetParts();
    } else {
        transposer_.observe(message, port);
    }
    out.send(message, due, port);
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
        chase(now, out, true, &change.restored);
    }
}

void SequencerCore::releaseChannel(int channel, Nanos now, Output& out) {
    if (channel < 0 || channel >= kChannelIndexes) {
        return;
    }
    const MidiPort port = platform::portOfIndex(channel);
    const auto ch = static_cast<std::size_t>(channel);
    for (std::size_t key = 0; key < 128; ++key) {
        std::uint8_t& count = sounding_[ch * 128u + key];
        if (count > 0) {
            const std::uint8_t msg[] = {statusFor(0x80, channel), static_cast<std::uint8_t>(key),
                                        0};
            out.send(msg, now, port);
            count = 0;
        }
    }
    if (song_->channelsUsed & (1u << ch)) {
        const std::uint8_t status = statusFor(kControlChange, channel);
        const std::uint8_t sustainOff[] = {status, kSustain, 0};
        const std::uint8_t notesOff[] = {status, kAllNotesOff, 0};
        out.send(sustainOff, now, port);
        out.send(notesOff, now, port);
    }
}

void SequencerCore::silence(Nanos now, Output& out) {
    for (std::size_t key = 0; key < sounding_.size(); ++key) {
        if (sounding_[key] > 0) {
            const int ch = static_cast<int>(key / 128);
            const std::uint8_t msg[] = {statusFor(0x80, ch), static_cast<std::uint8_t>(key % 128),
                                        0};
            out.send(msg, now, platform::portOfIndex(ch));
        }
    }
    sounding_.fill(0);
    transposer_.forgetNotes();
    for (int ch = 0; ch < kChannelIndexes; ++ch) {
        // A held-back channel was released when it fell silent and has sent nothing since.
        if ((song_->channelsUsed & (1u << ch)) && filter_.audible(ch)) {
            const std::uint8_t status = statusFor(kControlChange, ch);
            const std::uint8_t sustainOff[] = {status, kSustain, 0};
            const std::uint8_t notesOff[] = {status, kAllNotesOff, 0};
            out.send(sustainOff, now, platform::portOfIndex(ch));
            out.send(notesOff, now, platform::portOfIndex(ch));
        }
    }
}

void SequencerCore::chase(Nanos now, Output& out, bool withSysEx, const ChannelSet* only) {
    const Song& song = *song_;
    std::vector<ChannelState> channels(kChannelIndexes);
    std::vector<std::size_t> sysEx;
    for (std::size_t i = 0; i < cursor_; ++i) {
        const SongEvent& e = song.events[i];
        if (e.isSysEx()) {
            if (isResetSysEx(song.blobBytes(e))) {
                channels.assign(kChannelIndexes, ChannelState{});
            }
            sysEx.push_back(i);
            continue;
        }
        if (!e.isChannel()) {
            continue;
        }
        ChannelState& c = channels[static_cast<std::size_t>(e.channelIndex())];
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

    if (withSysEx && only == nullptr) {
        transposer_.resetParts();
        for (std::size_t i : sysEx) {
            sendSysEx(song.blobBytes(song.events[i]), song.events[i].port, now, out);
        }
    }
    for (int ch = 0; ch < kChannelIndexes; ++ch) {
        if (!(song.channelsUsed & (1u << ch)) ||
            (only != nullptr && !only->test(static_cast<std::size_t>(ch)))) {
            continue;
        }
        const ChannelState& c = channels[static_cast<std::size_t>(ch)];
        const std::uint8_t cc = statusFor(kControlChange, ch);
        auto control = [&](int number, int value) {
            const std::uint8_t msg[] = {cc, static_cast<std::uint8_t>(number),
                                        static_cast<std::uint8_t>(value)};
            sendTracked(msg, ch, now, out);
        };
        control(kResetControllers, 0);
        // Bank select takes effect with the program change that follows it.
        for (int number : {0, 32}) {
            if (c.controllers[static_cast<std::size_t>(number)] >= 0) {
                control(number, c.controllers[static_cast<std::size_t>(number)]);
            }
        }
        if (c.program >= 0) {
            const std::uint8_t msg[] = {statusFor(0xC0, ch), static_cast<std::uint8_t>(c.program)};
            sendTracked(msg, ch, now, out);
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
            const std::uint8_t msg[] = {statusFor(0xE0, ch),
                                        static_cast<std::uint8_t>(c.bend & 0x7F),
                                        static_cast<std::uint8_t>(c.bend >> 7)};
            sendTracked(msg, ch, now, out);
        }
        if (c.pressure >= 0) {
            const std::uint8_t msg[] = {statusFor(0xD0, ch), static_cast<std::uint8_t>(c.pressure)};
            sendTracked(msg, ch, now, out);
        }
    }
}

}  // namespace vesk::sequencer
