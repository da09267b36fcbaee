#include "intake/rcp/rcp_builder.h"

namespace vesk::test::rcp {
namespace {

void put8(QByteArray& out, int at, int value) {
    out[at] = static_cast<char>(value & 0xFF);
}

void put16(QByteArray& out, int at, int value) {
    put8(out, at, value);
    put8(out, at + 1, value >> 8);
}

void putText(QByteArray& out, int at, const QByteArray& text, int width) {
    for (int i = 0; i < width; ++i) {
        out[at + i] = i < text.size() ? text[i] : ' ';
    }
}

void appendLe(QByteArray& out, long value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

QByteArray header2(const SongPlan& s) {
    QByteArray h(0x586, '\0');
    const QByteArray sig = "RCM-PC98V2.0(C)COME ON MUSIC\r\n";
    h.replace(0, sig.size(), sig);
    putText(h, 0x20, s.title, 64);
    for (int line = 0; line < 12; ++line) {
        putText(h, 0x60 + line * 28, line < int(s.memo.size()) ? s.memo[line] : "", 28);
    }
    for (int i = 0; i < 16; ++i) {
        put8(h, 0x1B0 + i, 0x40);
    }
    put8(h, 0x1C0, s.timeBase & 0xFF);
    put8(h, 0x1E7, s.timeBase >> 8);
    put8(h, 0x1C1, s.tempo);
    put8(h, 0x1C2, s.numerator);
    put8(h, 0x1C3, s.denominator);
    put8(h, 0x1C4, s.key);
    put8(h, 0x1C5, s.playBias);
    put8(h, 0x1E6, s.trackCount);
    for (int i = 0; i < 32; ++i) {
        putText(h, 0x206 + i * 16, "Drum", 14);
    }
    for (int i = 0; i < 8; ++i) {
        const int at = 0x406 + i * 48;
        putText(h, at, "USER EXCLUSIVE " + QByteArray::number(i), 24);
        for (int b = 0; b < 24; ++b) {
            const QByteArray& t = s.userExclusive[i];
            h[at + 24 + b] = b < t.size() ? t[b] : char(0xF7);
        }
    }
    return h;
}

QByteArray header3(const SongPlan& s) {
    QByteArray h(0xC98, '\0');
    const QByteArray sig = "COME ON MUSIC RECOMPOSER RCP3.0";
    h.replace(0, sig.size(), sig);
    putText(h, 0x20, s.title, 128);
    for (int line = 0; line < 12; ++line) {
        putText(h, 0xA0 + line * 30, line < int(s.memo.size()) ? s.memo[line] : "", 30);
    }
    put16(h, 0x208, s.trackCount);
    put16(h, 0x20A, s.timeBase);
    put16(h, 0x20C, s.tempo);
    put8(h, 0x20E, s.numerator);
    put8(h, 0x20F, s.denominator);
    put8(h, 0x210, s.key);
    put8(h, 0x211, s.playBias);
    for (int i = 0; i < 8; ++i) {
        const int at = 0xB18 + i * 48;
        putText(h, at, "USER EXCLUSIVE " + QByteArray::number(i), 23);
        for (int b = 0; b < 25; ++b) {
            const QByteArray& t = s.userExclusive[i];
            h[at + 23 + b] = b < t.size() ? t[b] : char(0xF7);
        }
    }
    return h;
}

QByteArray event(bool v3, const Ev& e) {
    QByteArray out;
    out.append(static_cast<char>(e.code));
    if (!v3) {
        out.append(static_cast<char>(e.p0));
        if (!e.raw.isEmpty()) {
            out += e.raw.leftJustified(2, '\0', true);
        } else {
            out.append(static_cast<char>(e.p1));
            out.append(static_cast<char>(e.p2));
        }
        return out;
    }
    if (!e.raw.isEmpty()) {
        return out + e.raw.leftJustified(5, '\0', true);
    }
    out.append(static_cast<char>(e.p2));
    appendLe(out, e.p0, 2);
    appendLe(out, e.p1, 2);
    return out;
}

QByteArray track(bool v3, const TrackPlan& t) {
    QByteArray events;
    for (const Ev& e : t.events) {
        events += event(v3, e);
    }
    if (t.endMark) {
        events += event(v3, cmd(0xFE));
    }
    const int headerSize = v3 ? 46 : 44;
    const long size = t.sizeField >= 0 ? t.sizeField : headerSize + events.size();
    QByteArray block;
    appendLe(block, size, v3 ? 4 : 2);
    block.append(char(0));  // track number label
    block.append(char(0));  // rhythm mode
    block.append(static_cast<char>(t.channel));
    block.append(static_cast<char>(t.keyPlus));
    block.append(static_cast<char>(t.stepPlus));
    block.append(static_cast<char>(t.mode));
    QByteArray comment(36, ' ');
    putText(comment, 0, t.comment, 36);
    block += comment;
    return block + events;
}

}  // namespace

QByteArray buildSong(const SongPlan& song) {
    QByteArray out = song.version3 ? header3(song) : header2(song);
    std::vector<TrackPlan> tracks = song.tracks;
    const int count = song.trackCount == 0 ? 18 : song.trackCount;
    while (song.padTracks && int(tracks.size()) < count) {
        TrackPlan empty;
        empty.channel = 0xFF;
        tracks.push_back(empty);
    }
    for (const TrackPlan& t : tracks) {
        out += track(song.version3, t);
    }
    return out;
}

std::vector<Ev> withContinuation(bool version3, Ev first, bool firstCarries,
                                 const QByteArray& bytes) {
    const int chunk = version3 ? 5 : 2;
    // Text is padded with spaces, exclusive templates with their end mark.
    const char pad = firstCarries ? ' ' : char(0xF7);
    std::vector<Ev> out;
    int at = 0;
    if (firstCarries) {
        first.raw = bytes.mid(0, chunk).leftJustified(chunk, pad);
        at = chunk;
    }
    out.push_back(first);
    for (; at < bytes.size(); at += chunk) {
        Ev more = cmd(0xF7);
        more.raw = bytes.mid(at, chunk).leftJustified(chunk, pad);
        out.push_back(more);
    }
    return out;
}

Ev sameMeasure(bool version3, int index, int measure) {
    if (version3) {
        return cmd(0xFC, measure, 0x30 + index, 0);
    }
    const int offset = 44 + 4 * index;
    return cmd(0xFC, measure & 0xFF, (offset & 0xFC) | ((measure >> 8) & 3), offset >> 8);
}

void append(std::vector<Ev>& events, const std::vector<Ev>& more) {
    events.insert(events.end(), more.begin(), more.end());
}

}  // namespace vesk::test::rcp
