#pragma once

#include <QString>

namespace vesk::platform {

// The folder of the running program, ending with "/".
QString executableFolder();

}  // namespace vesk::platform
