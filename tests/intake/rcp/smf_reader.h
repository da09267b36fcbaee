#pragma once
// A small Standard MIDI File reader for checking converter output by content.

#include <QByteArray>
#include <QString>

#include <ostream>
#include <vector>

namespace vesk::test::smf {

// `bytes` holds the status and data of channel messages (running status resolved),
// F0 and the body of exclusives, or FF, the type and the data of meta events.
struct Event {
    quint32 tick = 0;
    QByteArray bytes;
    int status() const { return bytes.isEmpty() ? 0 : static_cast<quint8>(bytes[0]); }
    int at(int i) const { return i < bytes.size() ? static_cast<quint8>(bytes[i]) : -1; }
};

struct Track {
    std::vector<Event> events;
};

struct File {
    QString error;  // empty when the whole file parsed
    int format = -1;
    int division = 0;
    std::vector<Track> tracks;
};

File parse(const QByteArray& bytes);

struct Note {
    quint32 start = 0;
    quint32 length = 0;
    int channel = 0;
    int key = 0;
    int velocity = 0;
    bool operator==(const Note&) const = default;
};

void PrintTo(const Note& note, std::ostream* os);

// Notes of one track paired on/off per channel and key, by start and then key.
std::vector<Note> notes(const Track& track);

// Meta events of `type`: their data.
std::vector<QByteArray> metas(const Track& track, int type);
std::vector<Event> metaEvents(const Track& track, int type);

// Channel messages whose status high nibble is `kind` (0xB0, 0xC0, ...).
std::vector<Event> channelEvents(const Track& track, int kind);

std::vector<Event> exclusives(const Track& track);

QByteArray hex(const QByteArray& bytes);  // "F0 41 10 F7" form, for messages
QByteArray fromHex(const char* text);

}  // namespace vesk::test::smf
