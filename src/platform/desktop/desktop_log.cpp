#include "platform/desktop/desktop_log.h"

namespace vesk::platform::desktop {
Q_LOGGING_CATEGORY(lcOptions, "vesk.options")
}
