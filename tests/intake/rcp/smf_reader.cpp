#include "intake/rcp/smf_reader.h"

#include <algorithm>
#include <map>

namespace vesk::test::smf {
namespace {

class Cursor {
  public:
    Cursor(const QByteArray& bytes, qsizetype begin, qsizetype end)
        : bytes_(bytes), pos_(begin), end_(end) {}
    bool atEnd() const { return pos_ >= end_; }
    bool byte(int& out) {
        if (pos_ >= end_) {
            return false;
        }
        out = static_cast<quint8>(bytes_[pos_++]);
        return true;
    }
    bool varLen(quint32& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            int b = 0;
            if (!byte(b)) {
                return false;
            }
            out = (out << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) {
                return true;
            }
        }
        return false;
    }
    bool take(quint32 count, QByteArray& out) {
        if (count > quint64(end_ - pos_)) {
            return false;
        }
        out += bytes_.mid(pos_, count);
        pos_ += count;
        return true;
    }

  private:
    const QByteArray& bytes_;
    qsizetype pos_;
    qsizetype end_;
};

quint32 be(const QByteArray& b, qsizetype at, int count) {
    quint32 v = 0;
    for (int i = 0; i < count; ++i) {
        v = (v << 8) | static_cast<quint8>(b[at + i]);
    }
    return v;
}

QString parseTrack(Cursor in, Track& track) {
    quint32 tick = 0;
    int running = 0;
    bool ended = false;
    while (!in.atEnd()) {
        if (ended) {
            return "data after end of track";
        }
        quint32 delta = 0;
        if (!in.varLen(delta)) {
            return "bad delta";
        }
        tick += delta;
        int status = 0;
        if (!in.byte(status)) {
            return "missing status";
        }
        Event e;
        e.tick = tick;
        if (status == 0xFF) {
            int type = 0;
            quint32 length = 0;
            e.bytes.append(char(0xFF));
            if (!in.byte(type) || !in.varLen(length)) {
                return "bad meta";
            }
            e.bytes.append(static_cast<char>(type));
            if (!in.take(length, e.bytes)) {
                return "meta runs past the track";
            }
            ended = type == 0x2F;
            running = 0;
        } else if (status == 0xF0 || status == 0xF7) {
            quint32 length = 0;
            e.bytes.append(static_cast<char>(status));
            if (!in.varLen(length) || !in.take(length, e.bytes)) {
                return "bad exclusive";
            }
            running = 0;
        } else {
            int first = -1;
            if (status < 0x80) {
                if (running == 0) {
                    return "data byte without running status";
                }
                first = status;
                status = running;
            }
            running = status;
            e.bytes.append(static_cast<char>(status));
            const int kind = status & 0xF0;
            const int count = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            for (int i = 0; i < count; ++i) {
                int d = first;
                if (i > 0 || first < 0) {
                    if (!in.byte(d)) {
                        return "channel message cut short";
                    }
                }
                if (d > 0x7F) {
                    return "status byte where data was expected";
                }
                e.bytes.append(static_cast<char>(d));
            }
        }
        track.events.push_back(e);
    }
    return ended ? QString() : QString("no end of track");
}

}  // namespace

File parse(const QByteArray& bytes) {
    File file;
    if (bytes.size() < 14 || !bytes.startsWith("MThd") || be(bytes, 4, 4) != 6) {
        file.error = "no MThd header";
        return file;
    }
    file.format = static_cast<int>(be(bytes, 8, 2));
    const int count = static_cast<int>(be(bytes, 10, 2));
    file.division = static_cast<int>(be(bytes, 12, 2));
    qsizetype pos = 14;
    for (int i = 0; i < count; ++i) {
        if (pos + 8 > bytes.size() || bytes.mid(pos, 4) != "MTrk") {
            file.error = QString("track %1: no MTrk").arg(i);
            return file;
        }
        const quint32 length = be(bytes, pos + 4, 4);
        if (pos + 8 + qsizetype(length) > bytes.size()) {
            file.error = QString("track %1: chunk runs past the file").arg(i);
            return file;
        }
        Track track;
        const QString error = parseTrack(Cursor(bytes, pos + 8, pos + 8 + length), track);
        if (!error.isEmpty()) {
            file.error = QString("track %1: %2").arg(i).arg(error);
            return file;
        }
        file.tracks.push_back(track);
        pos += 8 + length;
    }
    if (pos != bytes.size()) {
        file.error = "bytes after the last track";
    }
    return file;
}

std::vector<Note> notes(const Track& track) {
    std::vector<Note> done;
    std::map<int, std::vector<Note>> open;
    for (const Event& e : track.events) {
        const int kind = e.status() & 0xF0;
        if (kind != 0x80 && kind != 0x90) {
            continue;
        }
        const int channel = e.status() & 0x0F;
        const int id = channel * 128 + e.at(1);
        if (kind == 0x90 && e.at(2) > 0) {
            open[id].push_back({e.tick, 0, channel, e.at(1), e.at(2)});
        } else if (!open[id].empty()) {
            Note n = open[id].front();
            open[id].erase(open[id].begin());
            n.length = e.tick - n.start;
            done.push_back(n);
        }
    }
    for (const auto& [id, left] : open) {
        for (Note n : left) {
            n.length = 0xFFFFFFFF;  // never released: shows up as a failure
            done.push_back(n);
        }
    }
    std::stable_sort(done.begin(), done.end(), [](const Note& a, const Note& b) {
        return a.start != b.start ? a.start < b.start : a.key < b.key;
    });
    return done;
}

void PrintTo(const Note& note, std::ostream* os) {
    *os << "{start " << note.start << ", length " << note.length << ", ch " << note.channel
        << ", key " << note.key << ", vel " << note.velocity << "}";
}

std::vector<Event> metaEvents(const Track& track, int type) {
    std::vector<Event> out;
    for (const Event& e : track.events) {
        if (e.status() == 0xFF && e.at(1) == type) {
            out.push_back(e);
        }
    }
    return out;
}

std::vector<QByteArray> metas(const Track& track, int type) {
    std::vector<QByteArray> out;
    for (const Event& e : metaEvents(track, type)) {
        out.push_back(e.bytes.mid(2));
    }
    return out;
}

std::vector<Event> channelEvents(const Track& track, int kind) {
    std::vector<Event> out;
    for (const Event& e : track.events) {
        if (e.status() < 0xF0 && (e.status() & 0xF0) == kind) {
            out.push_back(e);
        }
    }
    return out;
}

std::vector<Event> exclusives(const Track& track) {
    std::vector<Event> out;
    for (const Event& e : track.events) {
        if (e.status() == 0xF0) {
            out.push_back(e);
        }
    }
    return out;
}

QByteArray hex(const QByteArray& bytes) {
    return bytes.toHex(' ').toUpper();
}

QByteArray fromHex(const char* text) {
    return QByteArray::fromHex(text);
}

}  // namespace vesk::test::smf
