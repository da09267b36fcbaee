#pragma once
// Messages of the command-line tools: one line each on standard error, as their texts
// stand; there are no window events to run.

#include <QTextStream>

#include "platform/user_interaction.h"

namespace vesk::platform {

class ConsoleInteraction final : public UserInteraction {
  public:
    explicit ConsoleInteraction(QTextStream& err) : err_(err) {}
    MessageAnswer showMessage(const QString& text, MessageIcon,
                              MessageButtons buttons = MessageButtons::Ok,
                              const QString& = {}) override {
        QString line = text;
        line.replace(u'\n', u' ');
        err_ << line << Qt::endl;
        // Nobody is there to answer: questions take the cautious answer.
        return buttons == MessageButtons::YesNo      ? MessageAnswer::No
               : buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                                                     : MessageAnswer::Ok;
    }
    void processEvents() override {}

  private:
    QTextStream& err_;
};

}  // namespace vesk::platform
