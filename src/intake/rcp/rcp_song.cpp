#include "intake/rcp/rcp_song.h"

namespace vesk::intake::rcp {
namespace {

constexpr char kSignature2[] = "RCM-PC98V2.0(C)COME ON MUSIC";
constexpr char kSignature3[] = "COME ON MUSIC RECOMPOSER RCP3.0";

struct LayoutInfo {
    int headerSize;
    int trackHeaderSize;
    int eventSize;
};

constexpr LayoutInfo kInfo2{0x586, 44, 4};
constexpr LayoutInfo kInfo3{0xC98, 46, 6};

const LayoutInfo& info(Layout layout) {
    return layout == Layout::Version2 ? kInfo2 : kInfo3;
}

// Bounds-checked little-endian access: callers check the range first, so these only
// guard against their own mistakes.
class Bytes {
  public:
    explicit Bytes(const QByteArray& data) : data_(data) {}
    qsizetype size() const { return data_.size(); }
    quint8 u8(qsizetype at) const {
        return at >= 0 && at < data_.size() ? static_cast<quint8>(data_[at]) : 0;
    }
    quint16 u16(qsizetype at) const { return static_cast<quint16>(u8(at) | (u8(at + 1) << 8)); }
    quint32 u32(qsizetype at) const {
        return static_cast<quint32>(u16(at)) | (static_cast<quint32>(u16(at + 2)) << 16);
    }
    QByteArray field(qsizetype at, qsizetype length) const { return data_.mid(at, length); }
    bool startsWith(qsizetype at, const char* text) const {
        const QByteArray expected(text);
        return data_.mid(at, expected.size()) == expected;
    }

  private:
    const QByteArray& data_;
};

bool fail(Failure& failure, RcpError error, const QString& message) {
    failure.error = error;
    failure.message = message;
    return false;
}

bool isPrefixOf(const QByteArray& bytes, const char* signature) {
    return !bytes.isEmpty() && QByteArray(signature).startsWith(bytes);
}

bool detectLayout(const QByteArray& bytes, Layout& layout, Failure& failure) {
    const Bytes in(bytes);
    if (in.startsWith(0, kSignature2)) {
        layout = Layout::Version2;
        return true;
    }
    if (in.startsWith(0, kSignature3)) {
        layout = Layout::Version3;
        return true;
    }
    if (isPrefixOf(bytes, kSignature2) || isPrefixOf(bytes, kSignature3)) {
        return fail(failure, RcpError::Truncated,
                    QStringLiteral("the file ends inside its signature"));
    }
    if (in.startsWith(0, "STEDDATA")) {
        return fail(failure, RcpError::UnsupportedFormat,
                    QStringLiteral("STed song data is not a Recomposer song"));
    }
    if (in.startsWith(0, "COME ON MUSIC")) {
        return fail(failure, RcpError::UnsupportedFormat,
                    QStringLiteral("a Recomposer control file (CM6/GSD) holds no song"));
    }
    if (in.startsWith(0, "M1") || in.startsWith(0, "MC")) {
        return fail(failure, RcpError::UnsupportedFormat,
                    QStringLiteral("Recomposer 1.x songs are not supported"));
    }
    return fail(failure, RcpError::BadSignature,
                QStringLiteral("not a Recomposer song (unknown signature)"));
}

void readHeader2(const Bytes& in, RcpSong& song, int& trackCountByte) {
    song.title = trimField(in.field(0x20, 64));
    for (int line = 0; line < 12; ++line) {
        song.memo.push_back(trimField(in.field(0x60 + line * 28, 28)));
    }
    song.timeBase = in.u8(0x1E7) * 256 + in.u8(0x1C0);
    song.tempo = in.u8(0x1C1);
    song.timeSignatureNumerator = in.u8(0x1C2);
    song.timeSignatureDenominator = in.u8(0x1C3);
    song.keyCode = in.u8(0x1C4);
    song.playBias = static_cast<qint8>(in.u8(0x1C5));
    trackCountByte = in.u8(0x1E6);
    for (int i = 0; i < 8; ++i) {
        const int at = 0x406 + i * 48;
        song.userExclusive[i] = {trimField(in.field(at, 24)), in.field(at + 24, 24)};
    }
}

void readHeader3(const Bytes& in, RcpSong& song, int& trackCountWord) {
    song.title = trimField(in.field(0x20, 128));
    for (int line = 0; line < 12; ++line) {
        song.memo.push_back(trimField(in.field(0xA0 + line * 30, 30)));
    }
    trackCountWord = in.u16(0x208);
    song.timeBase = in.u16(0x20A);
    song.tempo = in.u16(0x20C);
    song.timeSignatureNumerator = in.u8(0x20E);
    song.timeSignatureDenominator = in.u8(0x20F);
    song.keyCode = in.u8(0x210);
    song.playBias = static_cast<qint8>(in.u8(0x211));
    // The one real file has a 23-byte name and the template's end marker at byte 23.
    for (int i = 0; i < 8; ++i) {
        const int at = 0xB18 + i * 48;
        song.userExclusive[i] = {trimField(in.field(at, 23)), in.field(at + 23, 25)};
    }
}

bool isTrackEnd(quint8 code) {
    return code == 0xFE || code == 0xFF;
}

// The block size as stored, or with bits 16-17 taken from its two low bits, whichever
// gives a block that lies in the file and ends with a track end. Zero when neither does.
qint64 trustedBlockSize(const Bytes& in, qint64 pos, Layout layout) {
    const LayoutInfo& li = info(layout);
    std::vector<qint64> candidates;
    if (layout == Layout::Version2) {
        const quint32 raw = in.u16(pos);
        candidates.push_back(raw);
        if ((raw & 3) != 0) {
            candidates.push_back((raw & ~3u) | ((raw & 3u) << 16));
        }
    } else {
        candidates.push_back(in.u32(pos));
    }
    for (const qint64 size : candidates) {
        const qint64 events = size - li.trackHeaderSize;
        if (events < li.eventSize || events % li.eventSize != 0 || pos + size > in.size()) {
            continue;
        }
        if (isTrackEnd(in.u8(pos + size - li.eventSize))) {
            return size;
        }
    }
    return 0;
}

RawEvent decodeEvent(const Bytes& in, qint64 at, Layout layout) {
    RawEvent e;
    e.code = in.u8(at);
    if (layout == Layout::Version2) {
        e.step = in.u8(at + 1);
        e.gate = in.u8(at + 2);
        e.value = in.u8(at + 3);
        e.dataLength = 2;
        e.data = {in.u8(at + 2), in.u8(at + 3), 0, 0, 0};
    } else {
        e.value = in.u8(at + 1);
        e.step = in.u16(at + 2);
        e.gate = in.u16(at + 4);
        e.dataLength = 5;
        for (int i = 0; i < 5; ++i) {
            e.data[i] = in.u8(at + 1 + i);
        }
    }
    return e;
}

bool readTracks(const Bytes& in, RcpSong& song, Failure& failure) {
    const LayoutInfo& li = info(song.layout);
    qint64 pos = li.headerSize;
    for (int index = 0; index < song.trackCount; ++index) {
        // Files may hold fewer blocks than announced, or a tool's trailer after the last.
        if (pos >= in.size() || in.startsWith(pos, "RCFW")) {
            break;
        }
        if (pos + li.trackHeaderSize > in.size()) {
            return fail(failure, RcpError::Truncated,
                        QStringLiteral("track %1: the file ends inside its header").arg(index + 1));
        }
        RawTrack track;
        track.number = index + 1;
        track.eventBase = li.trackHeaderSize;
        const qint64 fields = pos + (song.layout == Layout::Version2 ? 4 : 6);
        track.channel = in.u8(fields);
        track.keyPlus = in.u8(fields + 1);
        track.stepPlus = in.u8(fields + 2);
        track.muted = (in.u8(fields + 3) & 1) != 0;
        track.comment = trimField(in.field(fields + 4, 36));

        const qint64 first = pos + li.trackHeaderSize;
        qint64 end = 0;
        if (const qint64 size = trustedBlockSize(in, pos, song.layout); size > 0) {
            end = pos + size;
        } else {
            // Size fields are wrong in some real files: the first track end decides.
            for (qint64 at = first; at + li.eventSize <= in.size(); at += li.eventSize) {
                if (isTrackEnd(in.u8(at))) {
                    end = at + li.eventSize;
                    break;
                }
            }
            if (end == 0) {
                return fail(failure, RcpError::Truncated,
                            QStringLiteral("track %1: the file ends before the track's end mark")
                                .arg(index + 1));
            }
        }
        track.events.reserve(static_cast<size_t>((end - first) / li.eventSize));
        for (qint64 at = first; at < end; at += li.eventSize) {
            track.events.push_back(decodeEvent(in, at, song.layout));
        }
        song.tracks.push_back(std::move(track));
        pos = end;
    }
    if (song.tracks.empty()) {
        return fail(failure, RcpError::Truncated, QStringLiteral("the file holds no track data"));
    }
    return true;
}

}  // namespace

QByteArray trimField(QByteArray field) {
    qsizetype length = field.size();
    while (length > 0 && (field[length - 1] == ' ' || field[length - 1] == '\0')) {
        --length;
    }
    field.truncate(length);
    return field;
}

bool parseRcp(const QByteArray& bytes, RcpSong& song, Failure& failure) {
    song = RcpSong{};
    if (!detectLayout(bytes, song.layout, failure)) {
        return false;
    }
    const Bytes in(bytes);
    const LayoutInfo& li = info(song.layout);
    if (in.size() < li.headerSize) {
        return fail(failure, RcpError::Truncated,
                    QStringLiteral("the file ends inside the header"));
    }
    int countField = 0;
    if (song.layout == Layout::Version2) {
        readHeader2(in, song, countField);
        if (countField != 0 && countField != 18 && countField != 36) {
            return fail(failure, RcpError::BadHeader,
                        QStringLiteral("track count %1 is not 18 or 36").arg(countField));
        }
        song.trackCount = countField == 36 ? 36 : 18;
    } else {
        readHeader3(in, song, countField);
        if (countField != 18 && countField != 36) {
            return fail(failure, RcpError::BadHeader,
                        QStringLiteral("track count %1 is not 18 or 36").arg(countField));
        }
        song.trackCount = countField;
    }
    if (song.timeBase <= 0 || song.timeBase > 0x7FFF) {
        return fail(failure, RcpError::BadHeader,
                    QStringLiteral("time base %1 is out of range").arg(song.timeBase));
    }
    // A tempo of 0 would divide by zero; the common default of 120 stands in for it.
    if (song.tempo == 0) {
        song.tempo = 120;
    }
    if (!readTracks(in, song, failure)) {
        return false;
    }
    // Recomposer before 2.5 stored ST+ unsigned and left the track count byte 0; later
    // versions store it signed. Version 3 is always signed.
    song.stepPlusSigned = true;
    if (song.layout == Layout::Version2 && countField == 0) {
        for (const RawTrack& track : song.tracks) {
            const int value = static_cast<qint8>(track.stepPlus);
            if (value < -99 || value > 99) {
                song.stepPlusSigned = false;
            }
        }
    }
    return true;
}

}  // namespace vesk::intake::rcp
