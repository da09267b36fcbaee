#include "intake/rcp/rcp_expand.h"

#include "intake/rcp/smf_writer.h"

#include <algorithm>

namespace vesk::intake::rcp {
namespace {

constexpr quint64 kMicrosecondsPerMinuteTimes64 = 60'000'000ull * 64;

int signed7(int value) {
    return value >= 0x40 ? value - 0x80 : value;
}

bool isDataByte(int value) {
    return value >= 0 && value <= 0x7F;
}

class TrackExpander {
  public:
    TrackExpander(const RcpSong& song, const RawTrack& track, Conductor& conductor, Budget& budget,
                  TrackOutput& out, Failure& failure, EndlessLoops endless)
        : endless_(endless),
          song_(song),
          track_(track),
          conductor_(conductor),
          budget_(budget),
          out_(out),
          failure_(failure) {
        if ((track.channel & 0x80) == 0) {
            channel_ = track.channel & 0x0F;
            port_ = track.channel >> 4;
        }
        if ((track.keyPlus & 0x80) == 0) {
            transpose_ = signed7(track.keyPlus) + song.playBias;
        }
        shift_ = song.stepPlusSigned ? static_cast<qint8>(track.stepPlus) : track.stepPlus;
    }

    bool run();

  private:
    struct Loop {
        size_t start;
        int passesDone;
        bool inSameMeasure;
        size_t returnTo;
        quint64 startTime;
    };

    struct Sounding {
        quint64 start;
        quint64 off;
        quint32 sequence;
        quint8 key;
        quint8 velocity;
        quint8 channel;
        quint8 port;
    };

    bool fail(RcpError error, const QString& message) {
        failure_.error = error;
        failure_.message = QStringLiteral("track %1: %2").arg(track_.number).arg(message);
        return false;
    }

    bool shifted(quint64 tick, quint32& out) {
        const qint64 moved = static_cast<qint64>(tick) + shift_;
        const quint64 clamped = moved < 0 ? 0 : static_cast<quint64>(moved);
        if (clamped > RcpLimits::kMaxTick) {
            return fail(RcpError::TooLarge, QStringLiteral("the song is too long"));
        }
        out = static_cast<quint32>(clamped);
        return true;
    }

    bool charge(quint64 bytes) {
        budget_.events += 1;
        budget_.bytes += bytes;
        if (budget_.events > RcpLimits::kMaxOutputEvents ||
            budget_.bytes > RcpLimits::kMaxOutputBytes) {
            return fail(RcpError::TooLarge, QStringLiteral("the expanded song is too large"));
        }
        return true;
    }

    bool emitShort(quint32 tick, quint8 rank, quint32 sequence, quint8 port,
                   std::initializer_list<quint8> bytes) {
        if (!charge(bytes.size())) {
            return false;
        }
        OutEvent e;
        e.tick = tick;
        e.rank = rank;
        e.sequence = sequence;
        e.port = port;
        e.length = static_cast<quint8>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), e.bytes.begin());
        out_.events.push_back(e);
        return true;
    }

    bool emitBlob(QByteArray blob, quint8 port) {
        quint32 tick = 0;
        if (!shifted(now_, tick) || !charge(static_cast<quint64>(blob.size()))) {
            return false;
        }
        OutEvent e;
        e.tick = tick;
        e.sequence = nextSequence_++;
        e.port = port;
        e.blob = static_cast<qint32>(out_.blobs.size());
        out_.blobs.push_back(std::move(blob));
        out_.events.push_back(e);
        return true;
    }

    bool emitExclusive(const QByteArray& body) {
        if (body.isEmpty()) {
            return true;
        }
        QByteArray blob(1, char(0xF0));
        appendVarLen(blob, static_cast<quint32>(body.size()));
        blob += body;
        return emitBlob(std::move(blob), static_cast<quint8>(port_));
    }

    // A fixed exclusive whose bytes all came from the song: dropped whole if any of
    // them is not a data byte.
    bool emitFixedExclusive(std::initializer_list<int> bytes) {
        QByteArray body;
        for (const int b : bytes) {
            if (!isDataByte(b)) {
                return true;
            }
            body.append(static_cast<char>(b));
        }
        body.append(char(0xF7));
        return emitExclusive(body);
    }

    bool emitChannel(quint8 kind, std::initializer_list<int> data) {
        if (channel_ < 0) {
            return true;
        }
        for (const int d : data) {
            if (!isDataByte(d)) {
                return true;
            }
        }
        quint32 tick = 0;
        if (!shifted(now_, tick)) {
            return false;
        }
        const auto status = static_cast<quint8>(kind | channel_);
        const auto* d = data.begin();
        if (data.size() == 1) {
            return emitShort(tick, 1, nextSequence_++, static_cast<quint8>(port_),
                             {status, static_cast<quint8>(d[0])});
        }
        return emitShort(tick, 1, nextSequence_++, static_cast<quint8>(port_),
                         {status, static_cast<quint8>(d[0]), static_cast<quint8>(d[1])});
    }

    bool finish(const Sounding& note) {
        quint32 on = 0;
        quint32 off = 0;
        if (!shifted(note.start, on) || !shifted(note.off, off)) {
            return false;
        }
        // A negative step offset can squeeze a note to nothing at tick 0.
        if (off <= on) {
            return true;
        }
        return emitShort(on, 1, note.sequence, note.port,
                         {static_cast<quint8>(0x90 | note.channel), note.key, note.velocity}) &&
               emitShort(off, 0, note.sequence, note.port,
                         {static_cast<quint8>(0x80 | note.channel), note.key, 0x40});
    }

    bool note(const RawEvent& e);
    bool command(size_t index);
    QByteArray continuationBytes(size_t index) const;
    bool resolveReference(size_t index, size_t& target);
    qint64 referenceTarget(const RawEvent& e) const;

    const EndlessLoops endless_;
    const RcpSong& song_;
    const RawTrack& track_;
    Conductor& conductor_;
    Budget& budget_;
    TrackOutput& out_;
    Failure& failure_;

    quint64 now_ = 0;
    int channel_ = -1;
    int port_ = 0;
    int transpose_ = 0;
    int shift_ = 0;
    quint32 nextSequence_ = 0;
    bool inSameMeasure_ = false;
    size_t returnTo_ = 0;
    std::vector<Loop> loops_;
    std::map<int, Sounding> sounding_;
    // Address and device state of the parameter commands, kept per track.
    int yamahaHigh_ = 0, yamahaMid_ = 0, yamahaDevice_ = 0x10, yamahaModel_ = 0x4C;
    int rolandHigh_ = 0x00, rolandMid_ = 0x10, rolandDevice_ = 0x10, rolandModel_ = 0x16;
};

bool TrackExpander::note(const RawEvent& e) {
    if (channel_ < 0 || e.gate == 0 || e.value == 0 || e.value > 0x7F) {
        return true;
    }
    const int key = e.code + transpose_;
    if (key < 0 || key > 0x7F) {
        return true;
    }
    const int id = (port_ << 11) | (channel_ << 7) | key;
    const quint64 off = now_ + e.gate;
    if (auto it = sounding_.find(id); it != sounding_.end()) {
        if (it->second.off > now_) {
            // Struck again while sounding: the note goes on instead of starting anew.
            it->second.off = off;
            return true;
        }
        if (!finish(it->second)) {
            return false;
        }
        sounding_.erase(it);
    }
    sounding_[id] = Sounding{now_,
                             off,
                             nextSequence_++,
                             static_cast<quint8>(key),
                             e.value,
                             static_cast<quint8>(channel_),
                             static_cast<quint8>(port_)};
    return true;
}

QByteArray TrackExpander::continuationBytes(size_t index) const {
    QByteArray bytes;
    for (size_t i = index + 1; i < track_.events.size() && track_.events[i].code == 0xF7; ++i) {
        const RawEvent& e = track_.events[i];
        bytes.append(reinterpret_cast<const char*>(e.data.data()), e.dataLength);
    }
    return bytes;
}

bool TrackExpander::command(size_t index) {
    const RawEvent& e = track_.events[index];
    const int p1 = e.gate & 0xFF;
    const int p2 = e.value;
    const int n = channel_;
    const auto yamaha = [&](int kind) {
        return n < 0 || emitFixedExclusive({0x43, 0x10 | n, kind, p1, p2});
    };
    switch (e.code) {
        case 0x90:
        case 0x91:
        case 0x92:
        case 0x93:
        case 0x94:
        case 0x95:
        case 0x96:
        case 0x97:
            return emitExclusive(
                buildExclusive(song_.userExclusive[e.code - 0x90].body, p1, p2, channel_));
        case 0x98:
            return emitExclusive(buildExclusive(continuationBytes(index), p1, p2, channel_));
        case 0xC0:
            return yamaha(0x08);
        case 0xC1:
            return yamaha(0x00);
        case 0xC2:
            return yamaha(0x04);
        case 0xC3:
            return yamaha(0x11);
        case 0xC5:
            return yamaha(0x15);
        case 0xC6:
            return n < 0 || emitFixedExclusive({0x43, 0x75, n, 0x10, p1, p2});
        case 0xC7:
            return yamaha(0x12);
        case 0xC8:
            return yamaha(0x13);
        case 0xC9:
            return yamaha(0x10);
        case 0xCA:
            return n < 0 || emitFixedExclusive({0x43, 0x10 | n, 0x10, 0x7B, p1, p2});
        case 0xCB:
            return n < 0 || emitFixedExclusive({0x43, 0x10 | n, 0x10, 0x7C, p1, p2});
        case 0xCC:
            return yamaha(0x1B);
        case 0xCD:
            return yamaha(0x18);
        case 0xCE:
            return yamaha(0x19);
        case 0xCF:
            return yamaha(0x1A);
        case 0xD0:
            yamahaHigh_ = p1;
            yamahaMid_ = p2;
            return true;
        case 0xD1:
            yamahaDevice_ = p1;
            yamahaModel_ = p2;
            return true;
        case 0xD2:
            return emitFixedExclusive(
                {0x43, yamahaDevice_, yamahaModel_, yamahaHigh_, yamahaMid_, p1, p2});
        case 0xD3:
            return emitFixedExclusive({0x43, 0x10, 0x4C, yamahaHigh_, yamahaMid_, p1, p2});
        case 0xDC:
            return n < 0 || emitFixedExclusive({0x41, 0x32, n, p1, p2});
        case 0xDD:
            rolandHigh_ = p1;
            rolandMid_ = p2;
            return true;
        case 0xDE: {
            const int sum = rolandHigh_ + rolandMid_ + p1 + p2;
            return emitFixedExclusive({0x41, rolandDevice_, rolandModel_, 0x12, rolandHigh_,
                                       rolandMid_, p1, p2, (128 - sum % 128) % 128});
        }
        case 0xDF:
            rolandDevice_ = p1;
            rolandModel_ = p2;
            return true;
        case 0xE1:
        case 0xE2:
            // Bank and program go together or not at all.
            if (!isDataByte(p1) || !isDataByte(p2)) {
                return true;
            }
            return emitChannel(0xB0, {e.code == 0xE1 ? 0x20 : 0x00, p2}) && emitChannel(0xC0, {p1});
        case 0xE6:
            if (e.gate == 0) {
                channel_ = -1;
            } else if (e.gate <= 32) {
                channel_ = (e.gate - 1) % 16;
                port_ = (e.gate - 1) / 16;
            }
            return true;
        case 0xE7: {
            // Relative to the header tempo, never to the current one. A gradual change
            // (p2 set) has no documented curve, so it takes effect at once.
            if (e.gate == 0) {
                return true;
            }
            quint32 tick = 0;
            if (!shifted(now_, tick)) {
                return false;
            }
            conductor_.tempo[tick] = tempoMicroseconds(static_cast<quint64>(song_.tempo) * e.gate);
            return true;
        }
        case 0xEA:
            return emitChannel(0xD0, {p1});
        case 0xEB:
            return emitChannel(0xB0, {p1, p2});
        case 0xEC:
            return emitChannel(0xC0, {p1});
        case 0xED:
            return emitChannel(0xA0, {p1, p2});
        case 0xEE:
            return emitChannel(0xE0, {p1, p2});
        case 0xF5: {
            quint32 tick = 0;
            if (!shifted(now_, tick)) {
                return false;
            }
            conductor_.key[tick] = static_cast<quint8>(e.step & 0xFF);
            return true;
        }
        case 0xF6: {
            QByteArray text(reinterpret_cast<const char*>(e.data.data()), e.dataLength);
            text = trimField(text + continuationBytes(index));
            return text.isEmpty() || emitBlob(metaEvent(0x01, text), kAnyPort);
        }
        default:
            // External commands (99), key scans (E5), stray continuations and unknown
            // codes make no sound.
            return true;
    }
}

qint64 TrackExpander::referenceTarget(const RawEvent& e) const {
    if (song_.layout == Layout::Version2) {
        const int offset = (e.gate & 0xFC) | (e.value << 8);
        const int relative = offset - track_.eventBase;
        if (relative < 0 || relative % 4 != 0) {
            return -1;
        }
        return relative / 4;
    }
    // Version 3 numbers events from 0x30.
    return static_cast<qint64>(e.gate) - 0x30;
}

bool TrackExpander::resolveReference(size_t index, size_t& target) {
    std::vector<size_t> visited{index};
    size_t current = index;
    for (int hop = 0; hop < RcpLimits::kMaxReferenceChain; ++hop) {
        const qint64 next = referenceTarget(track_.events[current]);
        if (next < 0 || next >= static_cast<qint64>(track_.events.size())) {
            return fail(RcpError::BadReference,
                        QStringLiteral("the same-measure reference at event %1 points nowhere")
                            .arg(current + 1));
        }
        const auto at = static_cast<size_t>(next);
        if (std::find(visited.begin(), visited.end(), at) != visited.end()) {
            return fail(RcpError::BadReference,
                        QStringLiteral("the same-measure references from event %1 form a cycle")
                            .arg(index + 1));
        }
        if (track_.events[at].code != 0xFC) {
            target = at;
            return true;
        }
        visited.push_back(at);
        current = at;
    }
    return fail(RcpError::BadReference,
                QStringLiteral("the same-measure chain from event %1 is too long").arg(index + 1));
}

bool TrackExpander::run() {
    const std::vector<RawEvent>& events = track_.events;
    size_t i = 0;
    while (i < events.size()) {
        if (++budget_.visited > RcpLimits::kMaxVisitedEvents) {
            return fail(RcpError::TooLarge, QStringLiteral("loops expand beyond the limit"));
        }
        const RawEvent& e = events[i];
        if (e.code == 0xF9) {
            if (static_cast<int>(loops_.size()) >= RcpLimits::kMaxLoopDepth) {
                return fail(RcpError::BadLoop, QStringLiteral("loops are nested more than %1 deep")
                                                   .arg(RcpLimits::kMaxLoopDepth));
            }
            loops_.push_back({i + 1, 0, inSameMeasure_, returnTo_, now_});
            ++i;
            continue;
        }
        if (e.code == 0xF8) {
            if (loops_.empty()) {
                ++i;
                continue;
            }
            Loop& loop = loops_.back();
            // An endless loop around the whole rest of the track: nothing after it is
            // ever reached, and the player loops it as long as it is asked to.
            if (e.step == 0 && endless_ == EndlessLoops::LoopPoints && loops_.size() == 1 &&
                !inSameMeasure_ && now_ > loop.startTime && now_ <= RcpLimits::kMaxTick) {
                out_.endlessLoop =
                    EndlessLoop{static_cast<quint32>(loop.startTime), static_cast<quint32>(now_)};
                break;
            }
            // Otherwise no count means endless: play it twice.
            const int passes = e.step == 0 ? 2 : e.step;
            if (++loop.passesDone < passes) {
                i = loop.start;
                inSameMeasure_ = loop.inSameMeasure;
                returnTo_ = loop.returnTo;
            } else {
                loops_.pop_back();
                ++i;
            }
            continue;
        }
        if (e.code == 0xFC && !inSameMeasure_) {
            size_t target = 0;
            if (!resolveReference(i, target)) {
                return false;
            }
            returnTo_ = i + 1;
            inSameMeasure_ = true;
            i = target;
            continue;
        }
        if (e.code == 0xFC || e.code == 0xFD || e.code == 0xFE) {
            // The end of a referenced measure returns to just after its reference.
            if (inSameMeasure_) {
                inSameMeasure_ = false;
                i = returnTo_;
                continue;
            }
            if (e.code == 0xFE) {
                break;
            }
            ++i;
            continue;
        }
        if (e.code < 0x80 ? !note(e) : !command(i)) {
            return false;
        }
        // Commands from F0 up never take time, whatever their step field holds.
        if (e.code < 0xF0) {
            now_ += e.step;
            // Rests alone can run the clock: stop before it leaves the SMF range.
            if (now_ > RcpLimits::kMaxTick + 0xFF) {
                return fail(RcpError::TooLarge, QStringLiteral("the song is too long"));
            }
        }
        ++i;
    }
    for (const auto& [id, sounding] : sounding_) {
        if (!finish(sounding)) {
            return false;
        }
    }
    quint32 end = 0;
    if (!shifted(now_, end)) {
        return false;
    }
    out_.clockEnd = static_cast<quint32>(std::min<quint64>(now_, RcpLimits::kMaxTick));
    std::stable_sort(out_.events.begin(), out_.events.end(),
                     [](const OutEvent& a, const OutEvent& b) {
                         if (a.tick != b.tick) {
                             return a.tick < b.tick;
                         }
                         if (a.rank != b.rank) {
                             return a.rank < b.rank;
                         }
                         return a.sequence < b.sequence;
                     });
    out_.endTick = out_.events.empty() ? end : std::max(end, out_.events.back().tick);
    return true;
}

}  // namespace

quint32 tempoMicroseconds(quint64 bpmTimes64) {
    if (bpmTimes64 == 0) {
        return 500'000;
    }
    const quint64 us = kMicrosecondsPerMinuteTimes64 / bpmTimes64;
    return static_cast<quint32>(std::clamp<quint64>(us, 1, 0xFFFFFF));
}

QByteArray buildExclusive(const QByteArray& templateBytes, int p1, int p2, int channel) {
    QByteArray body;
    int sum = 0;
    const auto put = [&](int byte) {
        body.append(static_cast<char>(byte));
        sum += byte;
    };
    for (const char c : templateBytes) {
        const auto b = static_cast<quint8>(c);
        if (b == 0xF7) {
            break;
        }
        if (b < 0x80) {
            put(b);
        } else if (b == 0x80 || b == 0x81) {
            const int value = b == 0x80 ? p1 : p2;
            if (!isDataByte(value)) {
                return {};
            }
            put(value);
        } else if (b == 0x82) {
            if (channel < 0) {
                return {};
            }
            put(channel & 0x0F);
        } else if (b == 0x83) {
            sum = 0;
        } else if (b == 0x84) {
            put((128 - sum % 128) % 128);
        } else {
            return {};
        }
    }
    if (body.isEmpty()) {
        return {};
    }
    body.append(char(0xF7));
    return body;
}

bool expandTrack(const RcpSong& song, const RawTrack& track, Conductor& conductor, Budget& budget,
                 TrackOutput& out, Failure& failure, EndlessLoops endless) {
    out = TrackOutput{};
    out.number = track.number;
    out.comment = track.comment;
    return TrackExpander(song, track, conductor, budget, out, failure, endless).run();
}

}  // namespace vesk::intake::rcp
