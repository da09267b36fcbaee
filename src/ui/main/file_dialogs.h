#pragma once
// The file dialogs of the main window. The window asks through FileDialogs, so tests
// answer without a modal loop. SongFileDialogs is the player's one dialog object: it keeps
// the rules (the filter, the folder remembered in Settings::lastFile, the selection text, the
// default extension) and leaves the showing to a DialogBackend.

#include <QString>
#include <QStringList>

#include "config/module_state.h"
#include "config/settings.h"

class QWidget;

namespace vesk::ui {

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // The selection text of the chosen songs; empty when cancelled.
    virtual QString openFilesDialog(QWidget* owner, const QString& title) = 0;
    // The chosen folder; empty when cancelled.
    virtual QString browseFolder(QWidget* owner, const QString& title) = 0;
    // The file to write a list to; empty when cancelled.
    virtual QString saveListDialog(QWidget* owner, const QString& title) = 0;
};

// The toolkit's dialogs; each result is empty when cancelled.
class DialogBackend {
  public:
    virtual ~DialogBackend() = default;
    virtual QStringList openFiles(QWidget* owner, const QString& title, const QString& folder,
                                  const QStringList& filters) = 0;
    virtual QString folder(QWidget* owner, const QString& title) = 0;
    virtual QString saveFile(QWidget* owner, const QString& title, const QString& folder,
                             const QStringList& filters, const QString& defaultSuffix) = 0;
};

class SongFileDialogs final : public FileDialogs {
  public:
    SongFileDialogs(const config::ModuleState& module, config::Settings& settings,
                    DialogBackend& backend);

    QString openFilesDialog(QWidget* owner, const QString& title) override;
    QString browseFolder(QWidget* owner, const QString& title) override;
    QString saveListDialog(QWidget* owner, const QString& title) override;

  private:
    const config::ModuleState& module_;
    config::Settings& settings_;
    DialogBackend& backend_;
};

// The filter texts of the toolkit's dialog, each pattern in lower and upper case: file
// names match their patterns case-sensitively here, and song files come in both.
QStringList dialogNameFilters(const QString& filter);

// Qt's own file dialogs.
class QtDialogBackend final : public DialogBackend {
  public:
    QStringList openFiles(QWidget* owner, const QString& title, const QString& folder,
                          const QStringList& filters) override;
    QString folder(QWidget* owner, const QString& title) override;
    QString saveFile(QWidget* owner, const QString& title, const QString& folder,
                     const QStringList& filters, const QString& defaultSuffix) override;
};

}  // namespace vesk::ui
