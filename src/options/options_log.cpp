#include "options/options_log.h"

namespace vesk::options {
Q_LOGGING_CATEGORY(lcOptions, "vesk.options")
}
