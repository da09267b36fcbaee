#include "ui/main/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "intake/intake.h"
#include "intake/path_text.h"
#include "ui/common/selection_text.h"

namespace vesk::ui {
namespace {

constexpr char SaveFilter[] = "ﾏﾙﾁﾘｽﾄﾌｧｲﾙ (*.MLT)|*.MLT";
constexpr char ListExtension[] = "mlt";

}  // namespace

SongFileDialogs::SongFileDialogs(const config::ModuleState& module, config::Settings& settings,
                                 DialogBackend& backend)
    : module_(module), settings_(settings), backend_(backend) {}

QString SongFileDialogs::openFilesDialog(QWidget* owner, const QString& title) {
    const QStringList filters = dialogNameFilters(intake::openFilesFilter(module_, settings_));
    const QString selection =
        selectionFromChoice(backend_.openFiles(owner, title, settings_.lastFile, filters));
    if (!selection.isEmpty()) {
        settings_.lastFile = intake::getFolder(selection);
    }
    return selection;
}

QString SongFileDialogs::browseFolder(QWidget* owner, const QString& title) {
    QString folder = backend_.folder(owner, title);
    while (folder.size() > 1 && folder.endsWith(u'/')) {
        folder.chop(1);
    }
    return folder;
}

QString SongFileDialogs::saveListDialog(QWidget* owner, const QString& title) {
    QString path = backend_.saveFile(owner, title, settings_.lastFile,
                                     dialogNameFilters(QString::fromUtf8(SaveFilter)),
                                     QString::fromLatin1(ListExtension));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        if (!path.endsWith(u'.')) {
            path += u'.';
        }
        path += QString::fromLatin1(ListExtension);
    }
    return path;
}

QStringList dialogNameFilters(const QString& filter) {
    // A description that names its patterns already, "MIDIﾌｧｲﾙ (*.MID *.RMI)", shows them
    // once: the list the dialog matches with replaces them.
    static const QRegularExpression ownPatterns(QStringLiteral("\\s*\\([^()]*\\)$"));
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(ownPatterns);
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            for (const QString& form : {pattern.toLower(), pattern.toUpper()}) {
                if (!patterns.contains(form)) {
                    patterns.append(form);
                }
            }
        }
        filters.append(description + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

QStringList QtDialogBackend::openFiles(QWidget* owner, const QString& title, const QString& folder,
                                       const QStringList& filters) {
    QFileDialog dialog(owner, title, folder);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

QString QtDialogBackend::folder(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title, QDir::homePath());
}

QString QtDialogBackend::saveFile(QWidget* owner, const QString& title, const QString& folder,
                                  const QStringList& filters, const QString& defaultSuffix) {
    QFileDialog dialog(owner, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

}  // namespace vesk::ui
