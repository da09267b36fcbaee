#pragma once

#include <QLoggingCategory>

namespace vesk::options {
Q_DECLARE_LOGGING_CATEGORY(lcOptions)
}
