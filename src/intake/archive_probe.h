#pragma once
// Which archive kinds this build can read. The readers are libarchive's; each kind counts
// as present when libarchive was built with its reader.

#include <QString>
#include <optional>

#include "config/component_version.h"

namespace vesk::intake {

enum class ArchiveKind { None, Lzh, Zip, Rar };

// By the upper-cased last three characters of the path: "LZH", "ZIP", "RAR".
ArchiveKind archiveKindOf(const QString& path);

// libarchive's version ("3.6.2") and the credit "libarchive", or nothing when libarchive
// was built without the reader for that format.
std::optional<config::ComponentVersion> probeLzhReader();
std::optional<config::ComponentVersion> probeZipReader();
std::optional<config::ComponentVersion> probeRarReader();

}  // namespace vesk::intake
