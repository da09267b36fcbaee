#pragma once
// Qt's own texts (file dialogs, standard buttons, context menus of text fields) in
// Japanese, like the rest of the program.

#include <QString>

namespace vesk::app {

// Loads Qt's Japanese translations from `folder` and installs them into the running
// application; false, with a warning logged, when they are missing there (Qt's texts then
// stay in English).
bool installQtTranslations(const QString& folder);

// Qt's own folder of translations (Debian: qt6-translations-l10n).
QString qtTranslationsFolder();

}  // namespace vesk::app
