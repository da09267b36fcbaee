#pragma once
// One entry of the play list, as the intake makes it.

#include <QString>

namespace vesk::intake {

struct SongEntry {
    QString name;       // file name, or member name inside an archive
    QString container;  // the folder without trailing "/", or the archive's full path
    QString title;
    // The archive or multi-list file the entry was taken from; empty for a song added by
    // itself or from a folder. It says where the entry came from, not what it is, so it
    // takes no part in comparing entries.
    QString source{};

    bool operator==(const SongEntry& other) const {
        return name == other.name && container == other.container && title == other.title;
    }
};

// True when the entry is a member of an archive: the container ends in ".LZH", ".ZIP" or
// ".RAR" in any letter case.
inline bool isArchiveMember(const SongEntry& entry) {
    const QString tail = entry.container.right(4).toUpper();
    return tail == QLatin1String(".LZH") || tail == QLatin1String(".ZIP") ||
           tail == QLatin1String(".RAR");
}

}  // namespace vesk::intake
