#pragma once
// Where the desktop keeps which application opens a file type. The player reads and writes
// it entry by entry, the way it would use a registry: a key and a value name select one
// text; a read gives the empty text for anything missing or unreadable, a write or a
// delete reports whether it took effect and never throws.
//
// Keys and names on a freedesktop desktop:
//   key ".ext",       name ""            the MIME type of the extension (read only)
//   key "type/sub",   name ""            the type's default applications (a list
//   "a.desktop;b.desktop;") key "type/sub",   name AddedEntry    the applications added to the
//   type's "Open With" list key "type/sub",   name RemovedEntry  the applications the user took out
//   of that list key "type/sub",   name BackupEntry   the default the type had before the player
//   took it
// Deleting a type's key (empty name) removes its default and its backup; the added and
// removed lists are shared with other applications and stay.

#include <QString>

namespace vesk::platform::desktop {

inline constexpr char AddedEntry[] = "Added";
inline constexpr char RemovedEntry[] = "Removed";
inline constexpr char BackupEntry[] = "veskmidi.bak";

class AssociationStore {
  public:
    virtual ~AssociationStore() = default;

    virtual QString readValue(const QString& key, const QString& name) = 0;
    virtual bool writeValue(const QString& key, const QString& name, const QString& text) = 0;
    virtual bool removeValue(const QString& key, const QString& name) = 0;

    // Whether the player's own files (desktop entry, MIME package, document icons) are in
    // place. They are written once and not again while they are there.
    virtual bool applicationInstalled() = 0;
    virtual bool installApplication() = 0;
};

}  // namespace vesk::platform::desktop
