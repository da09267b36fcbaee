#pragma once
// What non-window code needs from the windowing toolkit: message boxes and a way to let
// pending window events run during a long wait. The app provides the Qt versions; tests
// provide recording ones.

#include <QString>
#include <vector>

namespace vesk::platform {

enum class MessageIcon { Critical, Information, Exclamation, Question };

enum class MessageButtons { Ok, YesNo, OkCancel };

enum class MessageAnswer { Ok, Yes, No, Cancel };

class UserInteraction {
  public:
    virtual ~UserInteraction() = default;
    // A modal message box; `caption` empty means the application title.
    virtual MessageAnswer showMessage(const QString& text, MessageIcon icon,
                                      MessageButtons buttons = MessageButtons::Ok,
                                      const QString& caption = {}) = 0;
    // Lets pending window events (timer ticks, commands) run once.
    virtual void processEvents() = 0;
};

// Remembers messages instead of showing them; answers with a preset answer.
class RecordingInteraction final : public UserInteraction {
  public:
    struct Shown {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
        QString caption;
    };

    MessageAnswer showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok,
                              const QString& caption = {}) override {
        shown.push_back({text, icon, buttons, caption});
        return answer;
    }
    void processEvents() override { ++eventRuns; }

    std::vector<Shown> shown;
    MessageAnswer answer = MessageAnswer::Ok;
    int eventRuns = 0;
};

}  // namespace vesk::platform
