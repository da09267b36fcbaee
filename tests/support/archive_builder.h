#pragma once
// Archives assembled byte by byte, so the tests control every name byte, flag and link
// the readers see. Members are stored uncompressed (zip "stored", LZH -lh0-, RAR -m0).

#include <QByteArray>
#include <vector>

namespace vesk::test {

struct ArchiveMember {
    enum class Kind { File, Folder, Symlink };

    QByteArray name;  // raw bytes as the archiver would store them
    QByteArray data;  // file content, or the link target of a symlink
    Kind kind = Kind::File;
    bool utf8Flag = false;  // zip only: general purpose bit 11
};

ArchiveMember file(const QByteArray& name, const QByteArray& data);

// A zip archive with the members in order; symlinks are unix entries.
QByteArray buildZip(const std::vector<ArchiveMember>& members);

// An LZH archive with the given header level (0, 1 or 2); folders and symlinks need level 2.
QByteArray buildLzh(const std::vector<ArchiveMember>& members, int level);

// A RAR 4 archive (marker, main header, file headers, end block).
QByteArray buildRar4(const std::vector<ArchiveMember>& members);

// A format 0 Standard MIDI File whose first track names `title`.
QByteArray smallSong(const QByteArray& title);

std::uint16_t crc16Arc(const QByteArray& bytes);
std::uint32_t crc32(const QByteArray& bytes);

}  // namespace vesk::test
