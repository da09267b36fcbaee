#pragma once
// How the intake talks to whoever runs it: a window shows messages as message boxes and
// fills the progress window; the command-line list tool prints messages to standard error.

#include <QString>

#include "intake/song_entry.h"
#include "platform/user_interaction.h"

namespace vesk::intake {

class IntakeReporter {
  public:
    virtual ~IntakeReporter() = default;
    // `caption` empty means the application title.
    virtual void showMessage(const QString& text, platform::MessageIcon icon,
                             const QString& caption = {}) = 0;
    // An entry is about to be appended (the progress window's three labels).
    virtual void showEntry(const SongEntry& entry) { (void)entry; }
    // `done` of `total` names of a folder scan have been taken in.
    virtual void progress(int done, int total) {
        (void)done;
        (void)total;
    }
    // Lets pending window events run once.
    virtual void processEvents() {}
};

// Messages and event runs through the toolkit's message boxes; no progress display.
class InteractionReporter : public IntakeReporter {
  public:
    explicit InteractionReporter(platform::UserInteraction& interaction)
        : interaction_(interaction) {}

    void showMessage(const QString& text, platform::MessageIcon icon,
                     const QString& caption = {}) override {
        interaction_.showMessage(text, icon, platform::MessageButtons::Ok, caption);
    }
    void processEvents() override { interaction_.processEvents(); }

  private:
    platform::UserInteraction& interaction_;
};

}  // namespace vesk::intake
