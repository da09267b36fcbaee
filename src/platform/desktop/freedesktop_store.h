#pragma once
// The association store of a freedesktop desktop: the defaults and the "Open With" lists
// in the user's mimeapps.list, the player's desktop entry, MIME package and document icons
// under the user's data folder, and the backups of the previous defaults in a file of the
// player's own. mimeapps.list is read, changed line by line and written back whole, so
// every entry other applications keep there survives.

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/desktop/association_store.h"
#include "platform/desktop/mimeapps_list.h"

namespace vesk::platform::desktop {

struct DesktopFolders {
    QString configHome;  // holds mimeapps.list
    QString dataHome;    // holds applications/, mime/, icons/
    // The system's data folders, where an installed player keeps its entry and types.
    QStringList dataDirs;

    // $XDG_CONFIG_HOME, $XDG_DATA_HOME and $XDG_DATA_DIRS, or their defaults.
    static DesktopFolders fromEnvironment();
};

class FreedesktopAssociationStore final : public AssociationStore {
  public:
    // `programPath` is the player's executable, which the desktop entry starts.
    FreedesktopAssociationStore(DesktopFolders folders, QString programPath);

    QString readValue(const QString& key, const QString& name) override;
    bool writeValue(const QString& key, const QString& name, const QString& text) override;
    bool removeValue(const QString& key, const QString& name) override;

    bool applicationInstalled() override;
    bool installApplication() override;

    QString mimeAppsPath() const;
    QString backupPath() const;
    QString desktopEntryPath() const;
    QString mimePackagePath() const;

  private:
    // Unset when the file is there but cannot be read (or is absurdly large): nothing may
    // then be written over it.
    std::optional<MimeAppsList> load(const QString& path) const;
    bool save(const QString& path, const MimeAppsList& list) const;
    bool setEntry(const QString& path, const QString& group, const QString& key,
                  const QString& text);
    bool removeEntry(const QString& path, const QString& group, const QString& key);
    void refreshCaches() const;

    DesktopFolders folders_;
    QString programPath_;
};

}  // namespace vesk::platform::desktop
