#pragma once
// Which device slot a song goes to: the one chosen by hand, or under the automatic choice
// slot B when the song's title or document holds one of slot B's keywords.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace vesk::player {

// Only this much of a document is searched for keywords.
inline constexpr qint64 kMaxDocumentBytes = 8 * 1024 * 1024;

struct DeviceChoiceFlags {
    bool autoChosen = false;
    bool deviceAChosen = true;
    bool deviceBChosen = false;
};

// Upper case, then full width: ASCII letters, digits, signs and the space take their
// full-width forms, half-width katakana their full-width ones (a following voiced or
// semi-voiced mark joins its kana). So case and width make no difference when comparing.
QString foldForKeyword(const QString& text);

// Slot B's keyword text cut at every comma, pieces exactly as written; none when empty.
QStringList keywordPieces(const QString& key);

// Whether the folded title contains a folded piece. An empty piece is contained in every
// non-empty title.
bool titleHasKeyword(const QString& title, const QStringList& pieces);

// Whether the text contains a piece as written (case and width count).
bool textHasKeyword(const QString& text, const QStringList& pieces);

// The document's text, its bytes read as UTF-8 or else CP932; at most kMaxDocumentBytes of
// it. Empty when the path names no readable file.
QString readDocumentText(const QString& path);

// 0 (device A) or 1 (device B). The document is read only when the title does not decide.
int chooseDeviceSlot(const DeviceChoiceFlags& flags, const QString& title,
                     const QString& documentPath, const QString& key);

}  // namespace vesk::player
