#include "ui/info/info_samples.h"

#include <QDir>
#include <QPixmap>

namespace vesk::ui {

VersionTexts sampleVersionTexts() {
    VersionTexts texts;
    texts.appTitle = QStringLiteral("VESK MIDI PLAYER");
    texts.appVersion = QStringLiteral("Ver 1.0");
    texts.Revision = 225;
    texts.Components = {QStringLiteral("Ver 1.91  libarchive"),
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

std::unique_ptr<F_4> makeSampleF_4(QWidget* mainWindow) {
    return std::make_unique<F_4>(sampleVersionTexts(), mainWindow);
}

std::unique_ptr<F_5> makeSampleF_5() {
    auto window = std::make_unique<F_5>();
    window->showFileInfo(sampleFileInfoTexts());
    window->setBpmText(sampleBpmText());
    return window;
}

std::unique_ptr<F_2> makeSampleF_2() {
    auto window = std::make_unique<F_2>();
    window->showEntry(sampleSongEntry());
    return window;
}

bool saveInfoScreenshots(const QString& folder) {
    const QDir dir(folder);
    const bool version = makeSampleF_4()->grab().save(dir.filePath(QStringLiteral("f_4.png")));
    const bool info = makeSampleF_5()->grab().save(dir.filePath(QStringLiteral("f_5.png")));
    const bool progress = makeSampleF_2()->grab().save(dir.filePath(QStringLiteral("f_2.png")));
    return version && info && progress;
}

}  // namespace vesk::ui
