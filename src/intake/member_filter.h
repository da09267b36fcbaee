#pragma once
// Which archive members an extraction wants, and which member names are safe to write.

#include <QString>
#include <optional>

namespace vesk::intake {

// Case-insensitive wildcard match of the whole text: "*" any run of characters (also
// across "/"), "?" exactly one character, everything else itself.
bool wildcardMatch(const QString& pattern, const QString& text);

// LZH and ZIP: the member is wanted when `patterns` as a whole names it exactly, or when
// one of its space-separated words matches it as a wildcard. Letter case is ignored.
bool wantedByPatterns(const QString& memberName, const QString& patterns);

// RAR: a pattern holding "*" compares only the last (length - 2) characters of pattern
// and name, one without compares the whole name; letter case is ignored. A text with
// spaces is split at every single space and any of its patterns may match.
bool rarWanted(const QString& memberName, const QString& patterns);

// True when `patterns` is one exact member name (no space, no "*"): a RAR extraction
// then ends after that member.
bool isSingleMemberRequest(const QString& patterns);

// The member's path relative to the destination, with "/" separators ("\" counts as one
// too), or nothing when it is absolute, names a drive, climbs with "..", holds a NUL
// character, or is empty.
std::optional<QString> safeRelativePath(const QString& memberName);

}  // namespace vesk::intake
