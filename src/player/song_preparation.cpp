#include "player/song_preparation.h"

#include "intake/path_text.h"
#include "intake/rcp/convert_rcp.h"
#include "platform/file_path.h"

namespace vesk::player {

ContainerKind containerKind(const intake::SongEntry& entry) {
    const QString tail = entry.container.right(4).toUpper();
    if (tail == QLatin1String(".LZH")) {
        return ContainerKind::Lzh;
    }
    if (tail == QLatin1String(".ZIP")) {
        return ContainerKind::Zip;
    }
    if (tail == QLatin1String(".RAR")) {
        return ContainerKind::Rar;
    }
    return ContainerKind::Folder;
}

bool isRecomposerName(const QString& name) {
    const QString tail = name.right(3).toUpper();
    return tail == QLatin1String("G36") || tail == QLatin1String("G18") ||
           tail == QLatin1String("RCP") || tail == QLatin1String("R36") ||
           tail == QLatin1String("R18");
}

SongPreparation standardPreparation(const config::ModuleState& module) {
    SongPreparation preparation;
    const QString workFolder = module.workFolder;
    preparation.convertRcp = [workFolder](const QString& path) {
        return intake::convertRcp(path, workFolder);
    };
    return preparation;
}

QString existingFile(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    if (platform::isRegularFile(path)) {
        return path;
    }
    const QString folder = intake::getFolder(path);
    const QString name = intake::getFileName(path);
    if (name.isEmpty()) {
        return {};
    }
    const QStringList names =
        platform::regularFileNames(folder.isEmpty() ? QStringLiteral("/") : folder);
    for (const QString& candidate : names) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
            return folder + u'/' + candidate;
        }
    }
    return {};
}

QString findDocument(const QString& songFolder, const QString& songFile) {
    const QString stem = songFile.chopped(std::min<qsizetype>(3, songFile.size()));
    const QString candidates[] = {songFolder + QStringLiteral("readme.doc"),
                                  songFolder + QStringLiteral("readme.txt"),
                                  stem + QStringLiteral("doc"), stem + QStringLiteral("txt")};
    QString found;
    for (const QString& candidate : candidates) {
        const QString path = existingFile(candidate);
        if (!path.isEmpty()) {
            found = path;
        }
    }
    return found;
}

}  // namespace vesk::player
