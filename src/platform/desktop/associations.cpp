#include "platform/desktop/associations.h"

#include "platform/desktop/desktop_log.h"
#include "platform/desktop/mimeapps_list.h"

namespace vesk::platform::desktop {

const std::array<AssociationRow, AssociationRows>& associationRows() {
    static const std::array<AssociationRow, AssociationRows> rows{{
        {".mid", "*.mid  - STANDARD MIDI FILE", "audio/midi"},
        {".midi", "*.midi - STANDARD MIDI FILE", "audio/midi"},
        {".rmi", "*.rmi  - STANDARD MIDI FILE", "audio/x-rmid"},
        {".rcp", "*.rcp  - ﾚｺﾝﾎﾟｰｻﾞ ﾌｧｲﾙ", "audio/x-recomposer"},
        {".r18", "*.r18  - ﾚｺﾝﾎﾟｰｻﾞ ﾌｧｲﾙ", "audio/x-recomposer"},
        {".r36", "*.r36  - ﾚｺﾝﾎﾟｰｻﾞ ﾌｧｲﾙ", "audio/x-recomposer"},
        {".g18", "*.g18  - ﾚｺﾝﾎﾟｰｻﾞ ﾌｧｲﾙ", "audio/x-recomposer"},
        {".g36", "*.g36  - ﾚｺﾝﾎﾟｰｻﾞ ﾌｧｲﾙ", "audio/x-recomposer"},
        {".mlt", "*.mlt  - MULTI LIST FILE", "audio/x-vesk-multilist"},
        {".lzh", "*.lzh  - LHA圧縮書庫", ""},
        {".zip", "*.zip  - ZIP圧縮書庫", ""},
        {".rar", "*.rar  - RAR圧縮書庫", ""},
    }};
    return rows;
}

std::vector<int> rowsSharingType(int row) {
    std::vector<int> rows;
    if (row < 0 || row >= AssociationRows) {
        return rows;
    }
    const auto& all = associationRows();
    const QLatin1String type(all[row].mimeType);
    for (int r = 0; r < AssociationRows; ++r) {
        if (r == row || (!type.isEmpty() && QLatin1String(all[r].mimeType) == type)) {
            rows.push_back(r);
        }
    }
    return rows;
}

QString firstDesktopId(const QString& list) {
    const QStringList ids = splitDesktopList(list);
    return ids.isEmpty() ? QString() : ids.first();
}

QString Associations::typeOf(int row) {
    if (row < 0 || row >= AssociationRows) {
        return {};
    }
    const AssociationRow& entry = associationRows()[row];
    if (row < FirstArchiveRow) {
        return QString::fromLatin1(entry.mimeType);
    }
    // The archive's type is whatever the desktop calls it at the moment of the change.
    return store_.readValue(QString::fromLatin1(entry.extension), {});
}

// A user who once took the player out of a type's "Open With" list has it listed under
// the removed associations, which would hide what is added now.
bool Associations::withdrawRemoval(const QString& type) {
    QStringList removed = splitDesktopList(store_.readValue(type, QLatin1String(RemovedEntry)));
    if (!removed.removeAll(QLatin1String(PlayerDesktopId))) {
        return true;
    }
    return store_.writeValue(type, QLatin1String(RemovedEntry), joinDesktopList(removed));
}

bool Associations::setAssociation(int row) {
    if (row < 0 || row >= FirstArchiveRow) {
        return false;
    }
    const QString type = typeOf(row);
    // The desktop entry has to exist before a default may name it.
    bool ok = store_.applicationInstalled() || store_.installApplication();
    const QString current = store_.readValue(type, {});
    if (firstDesktopId(current) != QLatin1String(PlayerDesktopId)) {
        const QString previous = current.isEmpty() ? QString::fromLatin1(EmptyBackup) : current;
        ok = store_.writeValue(type, QLatin1String(BackupEntry), previous) && ok;
        ok = store_.writeValue(type, {}, joinDesktopList({QLatin1String(PlayerDesktopId)})) && ok;
    }
    ok = withdrawRemoval(type) && ok;
    if (!ok) {
        qCWarning(lcOptions) << "associating" << associationRows()[row].extension << "failed";
    }
    return ok;
}

bool Associations::removeAssociation(int row) {
    if (row < 0 || row >= FirstArchiveRow) {
        return false;
    }
    const QString type = typeOf(row);
    if (firstDesktopId(store_.readValue(type, {})) != QLatin1String(PlayerDesktopId)) {
        return true;
    }
    const QString backup = store_.readValue(type, QLatin1String(BackupEntry));
    bool ok = false;
    if (backup == QLatin1String(EmptyBackup)) {
        ok = store_.removeValue(type, {});
    } else {
        const bool restored = store_.writeValue(type, {}, backup);
        const bool deleted = store_.removeValue(type, QLatin1String(BackupEntry));
        ok = restored && deleted;
    }
    if (!ok) {
        qCWarning(lcOptions) << "removing the association of" << associationRows()[row].extension
                             << "failed";
    }
    return ok;
}

bool Associations::addArchiveVerb(int row) {
    if (row < FirstArchiveRow || row >= AssociationRows) {
        return false;
    }
    const QString type = typeOf(row);
    if (type.isEmpty()) {
        qCWarning(lcOptions) << "the desktop knows no type for" << associationRows()[row].extension;
        return false;
    }
    bool ok = store_.applicationInstalled() || store_.installApplication();
    QStringList added = splitDesktopList(store_.readValue(type, QLatin1String(AddedEntry)));
    if (!added.contains(QLatin1String(PlayerDesktopId))) {
        added.append(QLatin1String(PlayerDesktopId));
        ok = store_.writeValue(type, QLatin1String(AddedEntry), joinDesktopList(added)) && ok;
    }
    ok = withdrawRemoval(type) && ok;
    return ok;
}

bool Associations::removeArchiveVerb(int row) {
    if (row < FirstArchiveRow || row >= AssociationRows) {
        return false;
    }
    const QString type = typeOf(row);
    if (type.isEmpty()) {
        return false;
    }
    QStringList added = splitDesktopList(store_.readValue(type, QLatin1String(AddedEntry)));
    if (!added.removeAll(QLatin1String(PlayerDesktopId))) {
        return true;
    }
    return store_.writeValue(type, QLatin1String(AddedEntry), joinDesktopList(added));
}

bool Associations::inForce(int row) {
    const QString type = typeOf(row);
    if (type.isEmpty()) {
        return false;
    }
    if (row < FirstArchiveRow) {
        return firstDesktopId(store_.readValue(type, {})) == QLatin1String(PlayerDesktopId);
    }
    return splitDesktopList(store_.readValue(type, QLatin1String(AddedEntry)))
        .contains(QLatin1String(PlayerDesktopId));
}

bool Associations::renameOldEntries() {
    if (!store_.applicationInstalled()) {
        return true;
    }
    QStringList types;
    for (int row = 0; row < AssociationRows; ++row) {
        const QString type = typeOf(row);
        if (!type.isEmpty() && !types.contains(type)) {
            types.append(type);
        }
    }
    const QString oldId = QLatin1String(OldPlayerDesktopId);
    const QString newId = QLatin1String(PlayerDesktopId);
    bool ok = true;
    for (const QString& type : types) {
        for (const char* name : {"", AddedEntry, RemovedEntry, BackupEntry}) {
            const QString entry = QLatin1String(name);
            QStringList ids = splitDesktopList(store_.readValue(type, entry));
            if (!ids.contains(oldId)) {
                continue;
            }
            // In the old one's place, keeping the order of preference; never twice.
            ids.removeAll(newId);
            ids[ids.indexOf(oldId)] = newId;
            ids.removeAll(oldId);
            ok = store_.writeValue(type, entry, joinDesktopList(ids)) && ok;
            qCInfo(lcOptions) << "renamed" << oldId << "to" << newId << "for" << type;
        }
    }
    return ok;
}

}  // namespace vesk::platform::desktop
