#pragma once
// The one place where bytes of song texts and text files become Qt strings and back.
// Old files come from Japanese Windows (CP932); files this program writes are UTF-8.

#include <QByteArray>
#include <QString>
#include <optional>

namespace vesk::platform {

// Valid UTF-8 is read as UTF-8; anything else as CP932 (Windows Shift-JIS).
QString decodeNarrow(const QByteArray& bytes);

// Text of a song's meta events, whose encoding no file states: valid UTF-8 as UTF-8;
// else CP932 when the bytes decode cleanly and look like Japanese (see cp932Score);
// else Windows-1252, the usual encoding of Western songs.
QString decodeSongText(const QByteArray& bytes);

// The same choice made once for texts that belong together (the lyrics of one song), and
// the decoding it implies.
enum class SongTextEncoding { Utf8, Cp932, Windows1252 };
SongTextEncoding songTextEncoding(const QByteArray& bytes);
QString decodeSongText(const QByteArray& bytes, SongTextEncoding encoding);

// How much `bytes` look like Japanese CP932 text; nullopt when they are not valid CP932.
// Positive means Japanese. Double-byte characters count for, except one sitting inside a
// Latin word (an accented letter read as a kanji); half-width katakana count for in runs,
// against when alone (a Latin-1 letter or sign read as katakana).
std::optional<int> cp932Score(const QByteArray& bytes);

// CP932 bytes of `text`; characters CP932 cannot encode become '?'.
QByteArray encodeCp932(const QString& text);

// Strict CP932 decoding, for texts known to be CP932 (song meta events, old lists).
QString decodeCp932(const QByteArray& bytes);

// Length of `text` in CP932 bytes; a character CP932 cannot encode counts as two.
int cp932ByteLength(const QString& text);

bool isValidUtf8(const QByteArray& bytes);

}  // namespace vesk::platform
