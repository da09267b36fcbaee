#pragma once
// Hand-off files: a second start writes each of its command-line texts into a
// "<number>.File" in the hand-off folder; the running player's timer takes them, oldest
// first, one per tick.
//
// A file holds three CR LF lines: the mark "VESK-HANDOFF 2", an order stamp (nanoseconds,
// increasing within one writer) and the text's bytes (see file_path.h) with every byte
// outside "!".."~" and "%" itself written as "%XX". Files of the older form, the text
// itself as their first line, are still read and ordered by their modification time.
//
// Both sides open the folder once by descriptor, refusing a link in its place, and work
// relative to it, so a link planted there is never followed.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace vesk::platform {

struct HandoffClock {
    std::function<int()> secondsField;         // the seconds of the time of day, 0..59
    std::function<double()> random;            // uniform in [0, 1)
    std::function<void()> pause;               // waits a little before the clock is asked again
    std::function<std::int64_t()> orderStamp;  // strictly increasing, comparable across writers
};

// The clock, a clock-seeded generator, a 20 ms pause and the real-time clock in
// nanoseconds, made strictly increasing within this process.
HandoffClock systemHandoffClock();

// The candidate name's number: the seconds divided by a random number, as decimal text.
QString handoffNumber(int seconds, double random);

// The file content for one text, and the text back from a file's content (either form).
QByteArray encodeHandoff(const QString& text, std::int64_t orderStamp);
struct HandoffContent {
    QString text;
    std::optional<std::int64_t> orderStamp;  // none for the older form
};
std::optional<HandoffContent> decodeHandoff(const QByteArray& content);

// Writes the text under a name no reader looks at, then links it to a fresh
// "<number>.File" so the reader never sees a partial file. Returns the file's path, or an
// empty text when the folder cannot be written or is not a real folder.
QString writeHandoffFile(const QString& folder, const QString& text, const HandoffClock& clock);

// The reading side, holding the folder open from its first successful use on.
class HandoffInbox {
  public:
    HandoffInbox() = default;
    ~HandoffInbox();
    HandoffInbox(const HandoffInbox&) = delete;
    HandoffInbox& operator=(const HandoffInbox&) = delete;

    // Takes the hand-off made first: returns its text and deletes the file. Files that
    // cannot be read yet, or are empty, stay for a later call.
    std::optional<QString> take(const QString& folder);

  private:
    bool openFolder(const QString& folder);

    QString folder_;
    int folderFd_ = -1;
};

}  // namespace vesk::platform
