#pragma once

#include <QLoggingCategory>

namespace vesk::platform::desktop {
Q_DECLARE_LOGGING_CATEGORY(lcOptions)
}
