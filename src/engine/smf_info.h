#pragma once
// The quick look at a Standard MIDI File that the play list and the information display
// need: header values from the "MThd" chunk, and title and copyright found by byte search
// in the first kilobyte. It is deliberately not a parse of the file.

#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace vesk::engine {

struct SmfInfo {
    QString copyright;
    QString title;
    std::int32_t playTime = 0;
    std::int16_t format = 0;
    std::int16_t tracks = 0;
    std::int16_t division = 0;
    std::int16_t errorCode = 0;
};

inline constexpr std::int16_t kSmfOk = 0;
inline constexpr std::int16_t kSmfFileNotFound = 1;
inline constexpr std::int16_t kSmfHeaderUnreadable = 2;

// Only this many bytes of a file are ever read.
inline constexpr qsizetype kSmfScanBytes = 1024;

// The message shown for a failed scan ("" for kSmfOk).
QString smfErrorMessage(std::int16_t errorCode);

// The title used when a song names none: the file's name without its last four
// characters (the extension and its dot); a name shorter than that is used whole.
QString titleFromFileName(const QString& path);

// Scans `block` (the first bytes of the file at `path`; only its name is used, for the
// fallback title). Gives kSmfOk or kSmfHeaderUnreadable; PlayTime stays 0. Header values
// of 32768 and more keep their 16-bit pattern, so they read as negative numbers.
SmfInfo scanSmfBlock(QByteArrayView block, const QString& path);

// Reads the first kSmfScanBytes of `path` and scans them. kSmfFileNotFound when the path
// is not a regular file that can be read.
SmfInfo readSmfFile(const QString& path);

}  // namespace vesk::engine
