#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcTranslations, "vesk.translations")

namespace vesk::app {

bool installQtTranslations(const QString& folder) {
    // Owned by the application, which keeps it for as long as it runs.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
        qCWarning(lcTranslations) << "Qt's Japanese texts not found in" << folder
                                  << "(Debian package qt6-translations-l10n)";
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString qtTranslationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

}  // namespace vesk::app
