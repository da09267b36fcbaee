#include "intake/multi_list.h"

#include "intake/path_text.h"
#include "platform/file_path.h"

namespace vesk::intake {

QString makeMltText(const std::vector<SongEntry>& entries) {
    const QString lineEnd = QStringLiteral("\r\n");
    const QString indent = QStringLiteral("    ");
    QString text = QLatin1String(MultiListHeader);
    const std::size_t count = entries.size();
    std::size_t i = 0;
    while (i < count) {
        // A block needs a base: "APP " with an empty one reads back as a song line, so
        // songs of the root folder are written one full path each. A base without a "/"
        // would make its names read as Windows text, so such songs go one per line too.
        if (i + 1 < count && entries[i].container.contains(PathSeparator) &&
            entries[i + 1].container == entries[i].container) {
            text += lineEnd + QStringLiteral("APP ") + entries[i].container;
            text += lineEnd + indent + entries[i].name;
            ++i;
            for (;;) {
                text += lineEnd + indent + entries[i].name;
                if (i + 1 == count) {
                    return text;
                }
                if (entries[i + 1].container != entries[i].container) {
                    break;
                }
                ++i;
            }
            text += lineEnd + QStringLiteral("END APP");
            ++i;
        } else {
            // A root-folder song's container may be "/" itself: "//x.mid" would read
            // back as a comment.
            const QString& folder = entries[i].container;
            text += lineEnd + folder +
                    (folder.endsWith(PathSeparator) ? QString() : QString(PathSeparator)) +
                    entries[i].name;
            ++i;
        }
    }
    return text;
}

bool listCanBeSaved(std::size_t entryCount) {
    return entryCount >= 2;
}

platform::WriteResult saveMultiList(const QString& path, const std::vector<SongEntry>& entries) {
    // Paths as their own bytes: a name that is not UTF-8 reads back as the same file.
    return platform::writeFileAtomically(
        path, platform::pathBytes(makeMltText(entries) + QStringLiteral("\r\n")));
}

}  // namespace vesk::intake
