#pragma once
// How the program holds file paths.
//
// On Linux a file name is a string of bytes; names from old collections and archives are
// often Shift-JIS (CP932), not UTF-8. Inside the program every path is a QString that
// carries its bytes exactly: valid UTF-8 becomes the characters it encodes, and each byte
// that is not part of valid UTF-8 becomes one lone surrogate U+DC80..U+DCFF ("escaped
// byte"). pathBytes() gives the original bytes back.
//
// The rules that keep the bytes:
// - names from the system (the command line, folder listings, list and hand-off files)
//   come in through pathFromBytes();
// - a path goes to the system only as pathBytes() (the helpers below, or ::open & co.);
//   Qt's file classes see only UTF-8 and must not be handed a path that may hold
//   escaped bytes;
// - people see displayPath(): each name of the path decoded as UTF-8, else as CP932.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/posix_file.h"

namespace vesk::platform {

// The path of these bytes, valid UTF-8 as its characters and other bytes escaped.
QString pathFromBytes(const QByteArray& bytes);

// The bytes a path stands for: escaped bytes as themselves, the rest as UTF-8.
QByteArray pathBytes(const QString& path);

// The path as a person reads it: each "/"-separated name that holds escaped bytes is
// decoded as UTF-8 if it is that, else as CP932; other names are kept.
QString displayPath(const QString& path);

// `path` made absolute against the current folder, "." and ".." resolved by name.
QString absolutePath(const QString& path);

// True when the path names a regular file, links followed.
bool isRegularFile(const QString& path);

// The names of the regular files (links followed) in `folder`, hidden names left out, in
// the order the system lists them. Empty when the folder cannot be read.
QStringList regularFileNames(const QString& folder);

// ::open(pathBytes(path), flags | O_CLOEXEC).
FileDescriptor openPath(const QString& path, int flags);

}  // namespace vesk::platform
