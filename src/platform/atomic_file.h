#pragma once
// Writing a file so that readers (and the next start after a crash or a full disk) see
// either the old content or the new one, never a part.

#include <QByteArray>
#include <QString>

namespace vesk::platform {

struct WriteResult {
    bool ok = false;
    QString error;  // what went wrong, for the user; empty when ok
};

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and renames it
// over `path`. On failure `path` is untouched and the temporary file is removed.
WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace vesk::platform
