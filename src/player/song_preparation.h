#pragma once
// Making a list entry available as a Standard MIDI File on disk: the kind of entry, the
// outside steps (archive extraction, Recomposer conversion) that the intake provides, and
// the search for the song's document.

#include <QString>
#include <functional>

#include "config/module_state.h"
#include "intake/song_entry.h"

namespace vesk::player {

enum class ContainerKind { Folder, Lzh, Zip, Rar };

ContainerKind containerKind(const intake::SongEntry& entry);

// Recomposer songs: names ending in G36, G18, RCP, R36 or R18 in any case.
bool isRecomposerName(const QString& name);

// The outside steps of loading a song. Each may be left empty: extraction then does
// nothing (the member is expected in its archive's folder already), conversion gives "".
struct SongPreparation {
    // Extracts `member` of `archive` into the archive's folder below the work folder;
    // `owner` parents its dialogs.
    std::function<void(const QString& archive, const QString& member, quintptr owner)> extract;
    // Converts a Recomposer file into the work folder; the new file's name, "" on failure.
    std::function<QString(const QString& path)> convertRcp;
};

// The Recomposer converter of the intake bound to the work folder; no extraction yet.
SongPreparation standardPreparation(const config::ModuleState& module);

// The document of a song: the last of folder/readme.doc, folder/readme.txt, the song file
// with "doc" and with "txt" in place of its last three characters, that exists; "" when
// none does. `songFolder` ends with "/". Names match in any letter case, as on the system
// the songs come from.
QString findDocument(const QString& songFolder, const QString& songFile);

// The path of an existing file named `path`, or of one that differs from it only in the
// letter case of its file name; "" when there is none.
QString existingFile(const QString& path);

}  // namespace vesk::player
