#pragma once
// Sequencer replies are texts such as "123456" or "120.5"; the engine only ever wants the
// number they begin with.

#include <cstdint>
#include <string_view>

namespace vesk::engine {

// The decimal number at the start of `reply` (leading spaces and tabs skipped, an
// optional sign, digits, an optional fraction). 0 when the reply does not begin with one.
double leadingNumber(std::string_view reply);

// leadingNumber rounded to the nearest whole number (halves to even) and clamped to the
// 32-bit range, so a corrupt reply can never overflow a field.
std::int32_t leadingWholeNumber(std::string_view reply);

}  // namespace vesk::engine
