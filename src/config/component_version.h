#pragma once

#include <QString>

namespace vesk::config {

// What an optional component (an archive reader, the Recomposer converter) reports of
// itself for the version window.
struct ComponentVersion {
    QString number;  // "1.91", "2", "3.6.2", ...
    QString credit;
};

}  // namespace vesk::config
