#include "ui/info/info_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names a function of the global namespace. Qt ignores a second
// registration of the same data, so calling this once per window is fine.
static void registerInfoResources() {
    Q_INIT_RESOURCE(vesk_info_windows);
}

namespace vesk::ui::info {

void initResources() {
    registerInfoResources();
}

}  // namespace vesk::ui::info
