#include "ui/common/selection_text.h"

#include "intake/path_text.h"

namespace vesk::ui {

QString selectionFromDrop(const QStringList& paths) {
    if (paths.isEmpty()) {
        return {};
    }
    QString selection = intake::getFolder(paths.first());
    for (const QString& path : paths) {
        selection += QChar(u'\0') + intake::getFileName(path);
    }
    return selection;
}

QString selectionFromChoice(const QStringList& paths) {
    return paths.size() == 1 ? paths.first() : selectionFromDrop(paths);
}

QString selectionFromCommandLine(const QString& text) {
    if (text.contains(u'"')) {
        return text.size() >= 2 ? text.mid(1, text.size() - 2) : QString();
    }
    if (text.contains(u' ')) {
        return selectionFromDrop(text.split(u' ', Qt::SkipEmptyParts));
    }
    return text;
}

}  // namespace vesk::ui
