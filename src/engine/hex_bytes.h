#pragma once
// Reset messages are kept as text such as "F0 7E 7F 09 01 F7": byte values in hexadecimal,
// separated by single spaces.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vesk::engine {

// The bytes of `text`, one per token; nothing when any token is not a hexadecimal number
// from 0 to FF (either letter case) or is empty (two spaces in a row, a space at either
// end), since a half-understood reset message is worse than none. No F0/F7 framing is
// added or checked.
std::optional<std::vector<std::uint8_t>> parseHexBytes(const QString& text);

}  // namespace vesk::engine
