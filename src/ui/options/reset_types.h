#pragma once
// The five reset types of the device pages and the rule that picks one from a device's
// name.

#include <QString>
#include <array>

namespace vesk::ui {

struct ResetType {
    const char* item;     // the list item
    const char* code;     // the reset message put into the code box
    const char* keyword;  // device B's keywords for the type
    bool editable;        // whether the user types the code
};

inline constexpr int ResetTypeCount = 5;
inline constexpr int ResetGs = 1;
inline constexpr int ResetXg = 2;

const std::array<ResetType, ResetTypeCount>& resetTypes();

// GS for a name holding "Roland", "GS" or "SC", else XG for "YAMAHA", "MU" or "XG", else
// -1 (leave the type alone). Case-sensitive.
int resetTypeForDeviceName(const QString& name);

}  // namespace vesk::ui
