#pragma once
// Multi-list files (".mlt"): the player's own play lists. Written as UTF-8 with CR LF, a
// name that is not UTF-8 as its own bytes (see platform/file_path.h);
// lists in CP932 from the Windows version are read as well (see Intake::ReadMultiList).

#include <QString>
#include <vector>

#include "intake/song_entry.h"
#include "platform/atomic_file.h"

namespace vesk::intake {

inline constexpr char MultiListHeader[] = "MultiListFile Copyright(C)Studio Tavorin";
inline constexpr char OldMultiListHeader[] = "[MIDILIST]";

// The whole list as file content, without the final line end: runs of two or more
// neighbouring entries with the same container become "APP container" blocks.
QString makeMltText(const std::vector<SongEntry>& entries);

// The list-saving tool is offered only for lists of two entries or more.
bool listCanBeSaved(std::size_t entryCount);

// Writes MakeMltText and a final CR LF to `path`, replacing it as a whole.
platform::WriteResult saveMultiList(const QString& path, const std::vector<SongEntry>& entries);

}  // namespace vesk::intake
