#include "ui/options/option_choosers.h"

#include <QFileDialog>
#include <QFileInfo>

namespace vesk::ui {

QString QtOptionChoosers::browseFolder(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title);
}

QString QtOptionChoosers::chooseSoundFont(QWidget* owner, const QString& title,
                                          const QString& start) {
    const QString folder = start.isEmpty() ? QString() : QFileInfo(start).absolutePath();
    // Names match their patterns case-sensitively here, and SoundFonts come in both cases.
    return QFileDialog::getOpenFileName(owner, title, folder,
                                        QStringLiteral("SoundFont (*.sf2 *.sf3 *.SF2 *.SF3)"));
}

}  // namespace vesk::ui
