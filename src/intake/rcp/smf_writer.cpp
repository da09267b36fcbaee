#include "intake/rcp/smf_writer.h"

#include <map>
#include <set>

namespace vesk::intake::rcp {
namespace {

void appendBigEndian(QByteArray& out, quint32 value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

// Collects one track's events with delta times and running status.
class TrackBuilder {
  public:
    void meta(quint32 tick, quint8 type, const QByteArray& data) {
        raw(tick, metaEvent(type, data));
    }
    void raw(quint32 tick, const QByteArray& event) {
        delta(tick);
        body_ += event;
        runningStatus_ = 0;
    }
    void channel(quint32 tick, const OutEvent& e) {
        delta(tick);
        if (e.bytes[0] != runningStatus_) {
            body_.append(static_cast<char>(e.bytes[0]));
            runningStatus_ = e.bytes[0];
        }
        for (int i = 1; i < e.length; ++i) {
            body_.append(static_cast<char>(e.bytes[i]));
        }
    }
    void finish(quint32 endTick, QByteArray& file) {
        meta(std::max(endTick, last_), 0x2F, {});
        file += "MTrk";
        appendBigEndian(file, static_cast<quint32>(body_.size()), 4);
        file += body_;
    }

  private:
    void delta(quint32 tick) {
        appendVarLen(body_, tick - last_);
        last_ = tick;
    }

    QByteArray body_;
    quint32 last_ = 0;
    quint8 runningStatus_ = 0;
};

QByteArray keySignature(quint8 code) {
    const int count = code & 0x07;
    const int sharpsOrFlats = (code & 0x08) != 0 ? -count : count;
    QByteArray data;
    data.append(static_cast<char>(sharpsOrFlats));
    data.append(static_cast<char>((code & 0x10) != 0 ? 1 : 0));
    return data;
}

QByteArray tempoData(quint32 microseconds) {
    QByteArray data;
    appendBigEndian(data, microseconds, 3);
    return data;
}

void writeConductor(const RcpSong& song, const Conductor& conductor, quint32 endTick,
                    QByteArray& file) {
    TrackBuilder track;
    if (!song.title.isEmpty()) {
        track.meta(0, 0x03, song.title);
    }
    qsizetype lines = static_cast<qsizetype>(song.memo.size());
    while (lines > 0 && song.memo[lines - 1].isEmpty()) {
        --lines;
    }
    for (qsizetype i = 0; i < lines; ++i) {
        track.meta(0, 0x01, song.memo[i]);
    }
    const int denominator = song.timeSignatureDenominator;
    if (song.timeSignatureNumerator > 0 && denominator > 0 &&
        (denominator & (denominator - 1)) == 0) {
        int power = 0;
        while ((1 << power) < denominator) {
            ++power;
        }
        QByteArray data;
        data.append(static_cast<char>(song.timeSignatureNumerator));
        data.append(static_cast<char>(power));
        data.append(char(24));
        data.append(char(8));
        track.meta(0, 0x58, data);
    }
    // Key signatures, tempos and loop points in time order; at one tick in that order.
    std::multimap<quint32, std::pair<quint8, QByteArray>> metas;
    for (const auto& [tick, code] : conductor.key) {
        metas.emplace(tick, std::pair{quint8{0x59}, keySignature(code)});
    }
    for (const auto& [tick, microseconds] : conductor.tempo) {
        metas.emplace(tick, std::pair{quint8{0x51}, tempoData(microseconds)});
    }
    if (conductor.loop) {
        metas.emplace(conductor.loop->start, std::pair{quint8{0x06}, QByteArray("loopStart")});
        metas.emplace(conductor.loop->end, std::pair{quint8{0x06}, QByteArray("loopEnd")});
    }
    for (const auto& [tick, meta] : metas) {
        track.meta(tick, meta.first, meta.second);
    }
    track.finish(endTick, file);
}

void writeTrack(const TrackOutput& out, bool tagPorts, QByteArray& file) {
    TrackBuilder track;
    if (!out.comment.isEmpty()) {
        track.meta(0, 0x03, out.comment);
    }
    int port = -1;
    for (const OutEvent& e : out.events) {
        if (tagPorts && e.port != kAnyPort && e.port != port) {
            port = e.port;
            track.meta(e.tick, 0x21, QByteArray(1, static_cast<char>(port)));
        }
        if (e.blob >= 0) {
            track.raw(e.tick, out.blobs[static_cast<size_t>(e.blob)]);
        } else {
            track.channel(e.tick, e);
        }
    }
    track.finish(out.endTick, file);
}

}  // namespace

void appendVarLen(QByteArray& out, quint32 value) {
    char bytes[5];
    int count = 0;
    bytes[count++] = static_cast<char>(value & 0x7F);
    while ((value >>= 7) != 0) {
        bytes[count++] = static_cast<char>((value & 0x7F) | 0x80);
    }
    while (count > 0) {
        out.append(bytes[--count]);
    }
}

QByteArray metaEvent(quint8 type, const QByteArray& data) {
    QByteArray event;
    event.append(char(0xFF));
    event.append(static_cast<char>(type));
    appendVarLen(event, static_cast<quint32>(data.size()));
    event += data;
    return event;
}

QByteArray writeSmf(const RcpSong& song, const Conductor& conductor,
                    const std::vector<TrackOutput>& tracks) {
    std::set<quint8> ports;
    quint32 endTick = 0;
    int emitted = 0;
    for (const TrackOutput& track : tracks) {
        if (track.events.empty()) {
            continue;
        }
        ++emitted;
        endTick = std::max(endTick, track.endTick);
        for (const OutEvent& e : track.events) {
            if (e.port != kAnyPort) {
                ports.insert(e.port);
            }
        }
    }
    // Port tags only matter when the song really uses more than one port.
    const bool tagPorts = ports.size() > 1;

    QByteArray file("MThd");
    appendBigEndian(file, 6, 4);
    appendBigEndian(file, 1, 2);
    appendBigEndian(file, static_cast<quint32>(1 + emitted), 2);
    appendBigEndian(file, static_cast<quint32>(song.timeBase), 2);
    writeConductor(song, conductor, endTick, file);
    for (const TrackOutput& track : tracks) {
        if (!track.events.empty()) {
            writeTrack(track, tagPorts, file);
        }
    }
    return file;
}

}  // namespace vesk::intake::rcp
