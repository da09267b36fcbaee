#include "ui/options/reset_types.h"

namespace vesk::ui {

const std::array<ResetType, ResetTypeCount>& resetTypes() {
    static const std::array<ResetType, ResetTypeCount> types{{
        {"GM", "F0 7E 7F 09 01 F7", "GM", false},
        {"GS", "F0 41 10 42 12 40 00 7F 00 41 F7", "GS,SC,Roland", false},
        {"XG", "F0 43 10 4C 00 00 7E 00 F7", "XG,MU,YAMAHA", false},
        {"その他", "F0 F7", "", true},
        {"なし", "", "", false},
    }};
    return types;
}

int resetTypeForDeviceName(const QString& name) {
    auto holds = [&name](std::initializer_list<const char*> words) {
        for (const char* word : words) {
            if (name.contains(QLatin1String(word), Qt::CaseSensitive)) {
                return true;
            }
        }
        return false;
    };
    if (holds({"Roland", "GS", "SC"})) {
        return ResetGs;
    }
    if (holds({"YAMAHA", "MU", "XG"})) {
        return ResetXg;
    }
    return -1;
}

}  // namespace vesk::ui
