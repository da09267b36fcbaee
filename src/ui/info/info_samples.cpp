#include "ui/info/info_samples.h"

#include <QDir>
#include <QPixmap>

namespace vesk::ui {

VersionTexts sampleVersionTexts() {
    VersionTexts texts;
    texts.appTitle = QStringLiteral("VESK MIDI PLAYER");
    texts.appVersion = QStringLiteral("Ver 1.0");
    texts.revision = 225;
    texts.components = {QStringLiteral("Ver 1.91  libarchive"),
                        QStringLiteral("Ver 5.40  libarchive"), QStringLiteral("NOT INSTALLED"),
                        QStringLiteral("Ver 1.10  VESK converter")};
    return texts;
}

player::FileInfoTexts sampleFileInfoTexts() {
    player::FileInfoTexts texts;
    texts.archive = QStringLiteral("書庫名  /home/user/Music/demo");
    texts.file = QStringLiteral("ファイル名  sakura.mid");
    texts.copyright = QStringLiteral("著作権  Arranged for VESK MIDI PLAYER, free to use");
    texts.format = QStringLiteral("SMFﾌｫｰﾏｯﾄ  1");
    texts.tracks = QStringLiteral("トラック数  5");
    texts.division = QStringLiteral("分解能  480");
    return texts;
}

QString sampleBpmText() {
    return QStringLiteral("BPM  88");
}

intake::SongEntry sampleSongEntry() {
    return {QStringLiteral("sakura.mid"), QStringLiteral("/home/user/Music/demo"),
            QStringLiteral("さくらさくら")};
}

std::unique_ptr<VersionWindow> makeSampleVersionWindow(QWidget* mainWindow) {
    return std::make_unique<VersionWindow>(sampleVersionTexts(), mainWindow);
}

std::unique_ptr<SongInfoWindow> makeSampleSongInfoWindow() {
    auto window = std::make_unique<SongInfoWindow>();
    window->showFileInfo(sampleFileInfoTexts());
    window->setBpmText(sampleBpmText());
    return window;
}

std::unique_ptr<ProgressWindow> makeSampleProgressWindow() {
    auto window = std::make_unique<ProgressWindow>();
    window->showEntry(sampleSongEntry());
    return window;
}

bool saveInfoScreenshots(const QString& folder) {
    const QDir dir(folder);
    const bool version =
        makeSampleVersionWindow()->grab().save(dir.filePath(QStringLiteral("version_window.png")));
    const bool info = makeSampleSongInfoWindow()->grab().save(
        dir.filePath(QStringLiteral("song_info_window.png")));
    const bool progress = makeSampleProgressWindow()->grab().save(
        dir.filePath(QStringLiteral("progress_window.png")));
    return version && info && progress;
}

}  // namespace vesk::ui
