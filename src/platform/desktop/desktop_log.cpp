#include "platform/desktop/desktop_log.h"

namespace vesk::options {
Q_LOGGING_CATEGORY(lcOptions, "vesk.options")
}
