#include "support/archive_builder.h"

#include <array>

namespace vesk::test {
namespace {

void put16(QByteArray& out, std::uint32_t value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void put32(QByteArray& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void set16(QByteArray& out, qsizetype at, std::uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

constexpr std::uint32_t kDosTime = 0x58216000;  // 2024-01-01 12:00:00

std::uint32_t unixMode(const ArchiveMember& m) {
    switch (m.kind) {
        case ArchiveMember::Kind::Folder:
            return 0040755;
        case ArchiveMember::Kind::Symlink:
            return 0120777;
        case ArchiveMember::Kind::File:
            break;
    }
    return 0100644;
}

QByteArray lzhLevel0or1(const ArchiveMember& m, int level) {
    QByteArray h;
    h.append("-lh0-");
    // Level 1 counts the extended headers into the skip size; there are none here.
    put32(h, static_cast<std::uint32_t>(m.data.size()));
    put32(h, static_cast<std::uint32_t>(m.data.size()));
    put32(h, kDosTime);
    h.append(static_cast<char>(0x20));
    h.append(static_cast<char>(level));
    h.append(static_cast<char>(m.name.size()));
    h.append(m.name);
    put16(h, crc16Arc(m.data));
    if (level == 1) {
        h.append('M');
        put16(h, 0);
    }
    std::uint32_t sum = 0;
    for (char c : h) {
        sum += static_cast<std::uint8_t>(c);
    }
    QByteArray out;
    out.append(static_cast<char>(h.size()));
    out.append(static_cast<char>(sum & 0xFF));
    return out + h + m.data;
}

QByteArray lzhLevel2(const ArchiveMember& m) {
    QByteArray dir;
    QByteArray base = m.name;
    const qsizetype slash = m.name.lastIndexOf('/');
    if (slash >= 0) {
        dir = m.name.left(slash);
        dir.replace('/', '\xFF');
        dir.append('\xFF');
        base = m.name.mid(slash + 1);
    }
    QByteArray linkedBase = base;
    if (m.kind == ArchiveMember::Kind::Symlink) {
        linkedBase = base + '|' + m.data;
    }
    const QByteArray payload = m.kind == ArchiveMember::Kind::File ? m.data : QByteArray();

    std::vector<std::pair<char, QByteArray>> exts;
    exts.emplace_back('\x00', QByteArray(3, '\0'));  // header CRC and an info byte
    if (m.kind != ArchiveMember::Kind::Folder) {
        exts.emplace_back('\x01', linkedBase);
    }
    if (!dir.isEmpty() || m.kind == ArchiveMember::Kind::Folder) {
        QByteArray d = m.kind == ArchiveMember::Kind::Folder ? m.name + '\xFF' : dir;
        d.replace('/', '\xFF');
        exts.emplace_back('\x02', d);
    }
    QByteArray mode;
    put16(mode, unixMode(m));
    exts.emplace_back('\x50', mode);

    auto assemble = [&] {
        QByteArray h;
        put16(h, 0);
        h.append(m.kind == ArchiveMember::Kind::Folder ? "-lhd-" : "-lh0-");
        put32(h, static_cast<std::uint32_t>(payload.size()));
        put32(h, static_cast<std::uint32_t>(payload.size()));
        put32(h, 1704110400);
        h.append(static_cast<char>(0x20));
        h.append(static_cast<char>(2));
        put16(h, crc16Arc(payload));
        h.append('U');
        put16(h, static_cast<std::uint32_t>(3 + exts.front().second.size()));
        for (std::size_t i = 0; i < exts.size(); ++i) {
            h.append(exts[i].first);
            h.append(exts[i].second);
            put16(h, i + 1 < exts.size() ? 3 + exts[i + 1].second.size() : 0);
        }
        set16(h, 0, static_cast<std::uint32_t>(h.size()));
        return h;
    };
    QByteArray h = assemble();
    // A header size whose low byte is 0 would read as the end-of-archive mark.
    if ((h.size() & 0xFF) == 0) {
        exts.emplace_back('\x54', QByteArray(4, '\0'));
        h = assemble();
    }
    const qsizetype crcAt = 2 + 5 + 4 + 4 + 4 + 1 + 1 + 2 + 1 + 2 + 1;
    set16(h, crcAt, crc16Arc(h));
    return h + payload;
}

QByteArray rarBlock(std::uint8_t type, std::uint16_t flags, const QByteArray& rest) {
    QByteArray body;
    body.append(static_cast<char>(type));
    put16(body, flags);
    put16(body, static_cast<std::uint32_t>(7 + rest.size()));
    body.append(rest);
    QByteArray out;
    put16(out, crc32(body) & 0xFFFF);
    return out + body;
}

}  // namespace

ArchiveMember file(const QByteArray& name, const QByteArray& data) {
    return ArchiveMember{name, data, ArchiveMember::Kind::File, false};
}

std::uint16_t crc16Arc(const QByteArray& bytes) {
    std::uint16_t crc = 0;
    for (char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
        }
    }
    return ~crc;
}

QByteArray buildZip(const std::vector<ArchiveMember>& members) {
    QByteArray out;
    QByteArray central;
    for (const ArchiveMember& m : members) {
        const QByteArray name =
            m.kind == ArchiveMember::Kind::Folder && !m.name.endsWith('/') ? m.name + '/' : m.name;
        const std::uint32_t crc = crc32(m.data);
        const auto size = static_cast<std::uint32_t>(m.data.size());
        const std::uint32_t flags = m.utf8Flag ? 0x0800 : 0;
        const auto offset = static_cast<std::uint32_t>(out.size());

        put32(out, 0x04034B50);
        put16(out, 20);
        put16(out, flags);
        put16(out, 0);
        put32(out, kDosTime);
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, static_cast<std::uint32_t>(name.size()));
        put16(out, 0);
        out.append(name);
        out.append(m.data);

        put32(central, 0x02014B50);
        put16(central, 0x031E);
        put16(central, 20);
        put16(central, flags);
        put16(central, 0);
        put32(central, kDosTime);
        put32(central, crc);
        put32(central, size);
        put32(central, size);
        put16(central, static_cast<std::uint32_t>(name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, unixMode(m) << 16);
        put32(central, offset);
        central.append(name);
    }
    const auto centralAt = static_cast<std::uint32_t>(out.size());
    out.append(central);
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(members.size()));
    put16(out, static_cast<std::uint32_t>(members.size()));
    put32(out, static_cast<std::uint32_t>(central.size()));
    put32(out, centralAt);
    put16(out, 0);
    return out;
}

QByteArray buildLzh(const std::vector<ArchiveMember>& members, int level) {
    QByteArray out;
    for (const ArchiveMember& m : members) {
        out.append(level == 2 ? lzhLevel2(m) : lzhLevel0or1(m, level));
    }
    out.append('\0');
    return out;
}

QByteArray buildRar4(const std::vector<ArchiveMember>& members) {
    QByteArray out("Rar!\x1A\x07\x00", 7);
    out.append(rarBlock(0x73, 0, QByteArray(6, '\0')));
    for (const ArchiveMember& m : members) {
        const bool folder = m.kind == ArchiveMember::Kind::Folder;
        const bool link = m.kind == ArchiveMember::Kind::Symlink;
        const QByteArray payload = folder ? QByteArray() : m.data;
        QByteArray rest;
        put32(rest, static_cast<std::uint32_t>(payload.size()));
        put32(rest, static_cast<std::uint32_t>(payload.size()));
        rest.append(static_cast<char>(link ? 3 : 2));  // host: Unix for links, else Win32
        put32(rest, crc32(payload));
        put32(rest, kDosTime);
        rest.append(static_cast<char>(29));
        rest.append(static_cast<char>(0x30));  // stored
        put16(rest, static_cast<std::uint32_t>(m.name.size()));
        put32(rest, link ? 0xA1FF : (folder ? 0x10 : 0x20));
        rest.append(m.name);
        const std::uint16_t flags = 0x8000 | (folder ? 0x00E0 : 0);
        out.append(rarBlock(0x74, flags, rest));
        out.append(payload);
    }
    out.append(rarBlock(0x7B, 0x4000, {}));
    return out;
}

QByteArray smallSong(const QByteArray& title) {
    QByteArray track;
    track.append(QByteArray("\x00\xFF\x03", 3));
    track.append(static_cast<char>(title.size()));
    track.append(title);
    track.append(QByteArray("\x00\x90\x3C\x40\x60\x80\x3C\x40\x00\xFF\x2F\x00", 12));
    QByteArray out("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60", 14);
    out.append("MTrk");
    const auto size = static_cast<std::uint32_t>(track.size());
    out.append(static_cast<char>(size >> 24));
    out.append(static_cast<char>((size >> 16) & 0xFF));
    out.append(static_cast<char>((size >> 8) & 0xFF));
    out.append(static_cast<char>(size & 0xFF));
    return out + track;
}

}  // namespace vesk::test
