#pragma once
// Hand-off files: a second start writes its command line into "<number>.File" in the
// hand-off folder; the running player's timer reads and deletes them one per tick.

#include <QString>
#include <functional>
#include <optional>

namespace vesk::platform {

struct HandoffClock {
    std::function<int()> secondsField;  // the seconds of the time of day, 0..59
    std::function<double()> random;     // uniform in [0, 1)
    std::function<void()> pause;        // waits a little before the clock is asked again
};

// The clock, a clock-seeded generator and a 20 ms pause.
HandoffClock systemHandoffClock();

// The candidate name's number: the seconds divided by a random number, as decimal text.
QString handoffNumber(int seconds, double random);

// Writes `text` + CR LF (UTF-8) under a name no reader looks at, then links it to a fresh
// "<number>.File" so the reader never sees a partial file. Returns the file's path, or an
// empty text when the folder cannot be written.
QString writeHandoffFile(const QString& folder, const QString& text, const HandoffClock& clock);

// Takes the oldest readable hand-off file: returns its first line and deletes it. Files
// that cannot be read yet, or are empty, stay for a later call.
std::optional<QString> takeHandoffFile(const QString& folder);

}  // namespace vesk::platform
