#pragma once
// Small text functions that define what a list entry's name and folder are, the position
// counter of the caption and the time display. Paths use "/" as the separator.

#include <QString>
#include <cstdint>

namespace vesk::intake {

inline constexpr QChar PathSeparator = u'/';

// The text before its first NUL character.
QString fixTrim(const QString& text);

// The part after the last separator and after the last NUL: the file name of a path, or
// the last name of a multi-selection (folder, NUL, names).
QString getFileName(const QString& path);

// The folder of a path without a trailing separator; for a multi-selection, the folder
// before the first NUL. "/b.mid" gives "", so "" + "/" + "b.mid" is the path again.
QString getFolder(const QString& path);

// "001/012": current entry number and entry count, zero-padded to three digits.
QString trackCounter(std::int16_t currentEntry, std::int16_t listLast);

// "mm:ss" of a time in milliseconds; minutes keep all their digits beyond 99.
QString formatTime(std::int32_t ms);

}  // namespace vesk::intake
