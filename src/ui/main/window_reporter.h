#pragma once
// The intake as the main window runs it: messages in message boxes, the entry being
// taken in on the progress window, and pending window events let through.

#include "intake/intake_reporter.h"
#include "platform/user_interaction.h"
#include "ui/main/aux_windows.h"

namespace vesk::ui {

class WindowReporter final : public intake::IntakeReporter {
  public:
    WindowReporter(platform::UserInteraction& interaction, AuxWindows& windows)
        : interaction_(interaction), windows_(windows) {}

    void showMessage(const QString& text, platform::MessageIcon icon,
                     const QString& caption = {}) override {
        interaction_.showMessage(text, icon, platform::MessageButtons::Ok, caption);
    }
    void showEntry(const intake::SongEntry& entry) override { windows_.showProgressEntry(entry); }
    void processEvents() override { interaction_.processEvents(); }

  private:
    platform::UserInteraction& interaction_;
    AuxWindows& windows_;
};

}  // namespace vesk::ui
