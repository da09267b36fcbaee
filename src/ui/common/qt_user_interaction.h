#pragma once

#include "platform/user_interaction.h"

namespace vesk::ui {

// Message boxes and event processing through Qt Widgets.
class QtUserInteraction final : public platform::UserInteraction {
  public:
    explicit QtUserInteraction(QString appTitle) : appTitle_(std::move(appTitle)) {}
    platform::MessageAnswer showMessage(
        const QString& text, platform::MessageIcon icon,
        platform::MessageButtons buttons = platform::MessageButtons::Ok,
        const QString& caption = {}) override;
    void processEvents() override;

  private:
    QString appTitle_;
};

}  // namespace vesk::ui
