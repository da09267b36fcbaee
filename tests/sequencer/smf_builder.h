#pragma once
// Builds Standard MIDI File bytes for tests, including deliberately broken ones.

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

namespace vesk::test {

using ByteVector = std::vector<std::uint8_t>;

inline void putVlq(ByteVector& out, std::uint32_t v) {
    std::uint8_t tmp[5];
    int n = 0;
    tmp[n++] = v & 0x7F;
    while ((v >>= 7) != 0) {
        tmp[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
    }
    while (n > 0) {
        out.push_back(tmp[--n]);
    }
}

inline void putBe32(ByteVector& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> s));
    }
}

class Track {
  public:
    // A delta time and the raw bytes of an event (status may be left out for running status).
    Track& at(std::uint32_t delta, std::initializer_list<int> event) {
        putVlq(bytes_, delta);
        for (int b : event) {
            bytes_.push_back(static_cast<std::uint8_t>(b));
        }
        return *this;
    }
    Track& tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
        return at(delta, {0xFF, 0x51, 0x03, static_cast<int>(microsPerQuarter >> 16 & 0xFF),
                          static_cast<int>(microsPerQuarter >> 8 & 0xFF),
                          static_cast<int>(microsPerQuarter & 0xFF)});
    }
    Track& end(std::uint32_t delta = 0) { return at(delta, {0xFF, 0x2F, 0x00}); }
    // A meta event with text or data bytes (FF type length bytes).
    Track& meta(std::uint32_t delta, int type, const QByteArray& data) {
        at(delta, {0xFF, type});
        putVlq(bytes_, static_cast<std::uint32_t>(data.size()));
        for (char c : data) {
            bytes_.push_back(static_cast<std::uint8_t>(c));
        }
        return *this;
    }
    Track& raw(std::initializer_list<int> b) {
        for (int v : b) {
            bytes_.push_back(static_cast<std::uint8_t>(v));
        }
        return *this;
    }
    const ByteVector& bytes() const { return bytes_; }

  private:
    ByteVector bytes_;
};

inline ByteVector chunk(const char* tag, const ByteVector& body) {
    ByteVector out(tag, tag + 4);
    putBe32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline ByteVector smfHeader(int format, int tracks, std::uint16_t division) {
    ByteVector body = {
        static_cast<std::uint8_t>(format >> 8),   static_cast<std::uint8_t>(format),
        static_cast<std::uint8_t>(tracks >> 8),   static_cast<std::uint8_t>(tracks),
        static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division)};
    return chunk("MThd", body);
}

inline ByteVector smf(int format, std::uint16_t division, const std::vector<Track>& tracks) {
    ByteVector out = smfHeader(format, static_cast<int>(tracks.size()), division);
    for (const Track& t : tracks) {
        const ByteVector c = chunk("MTrk", t.bytes());
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

inline QByteArray toQByteArray(const ByteVector& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

}  // namespace vesk::test
