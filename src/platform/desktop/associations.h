#pragma once
// The twelve association rows of the options dialog and what applying one of them does:
// rows 0 to 8 make the player the default application of the row's file type (keeping
// the previous default to give back on removal), rows 9 to 11 add the player to the
// "Open With" list of an archive type.
//
// The desktop associates MIME types, not extensions, so rows that share a type (".mid"
// and ".midi") are one association: changing one changes the other.

#include <QString>
#include <array>
#include <vector>

#include "platform/desktop/association_store.h"

namespace vesk::platform::desktop {

inline constexpr int AssociationRows = 12;
inline constexpr int FirstArchiveRow = 9;
// The desktop entry's name as installed; its file is this name with ".desktop".
inline constexpr char PlayerDesktopName[] = "io.github.veskmidi.VeskMidiPlayer";
inline constexpr char PlayerDesktopId[] = "io.github.veskmidi.VeskMidiPlayer.desktop";
inline constexpr char EmptyBackup[] = "veskmidi.empty";
// The name earlier versions gave the entry they wrote themselves.
inline constexpr char OldPlayerDesktopId[] = "veskmidi.desktop";

struct AssociationRow {
    const char* extension;  // with its dot
    const char* listText;   // the row as the dialog lists it
    const char* mimeType;   // empty for the archive rows: their type is looked up
};

const std::array<AssociationRow, AssociationRows>& associationRows();

// The rows that share `row`'s file type, `row` included, in row order.
std::vector<int> rowsSharingType(int row);

// The first application of a list value "a.desktop;b.desktop;", trimmed.
QString firstDesktopId(const QString& list);

class Associations {
  public:
    explicit Associations(AssociationStore& store) : store_(store) {}

    // Rows 0 to 8. A type whose default is already the player keeps its backup, so the
    // second row of a shared type does not lose what the first one saved.
    bool setAssociation(int row);
    // Rows 0 to 8. Gives the type its previous default back, or removes the default when
    // there was none. A type that is no longer the player's (a row of the same type was
    // removed first) needs nothing and succeeds.
    bool removeAssociation(int row);

    // Rows 9 to 11: the player in or out of the archive type's "Open With" list. Fails when
    // the desktop knows no type for the extension; removing what is not there succeeds.
    bool addArchiveVerb(int row);
    bool removeArchiveVerb(int row);

    // Whether the row's association is in force, as the store says now.
    bool inForce(int row);

    // Once the player's entry is installed, the types it associates name that entry where
    // they named the one of earlier versions (defaults, "Open With" lists, backups), so
    // the two never stand side by side. False when a write failed.
    bool renameOldEntries();

  private:
    QString typeOf(int row);
    bool withdrawRemoval(const QString& type);

    AssociationStore& store_;
};

}  // namespace vesk::platform::desktop
