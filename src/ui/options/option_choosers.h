#pragma once
// The choosers the options dialog opens. Behind an interface so that tests answer them
// without a modal loop; the player passes the Qt versions.

#include <QString>

class QWidget;

namespace vesk::ui {

class OptionChoosers {
  public:
    virtual ~OptionChoosers() = default;
    // A folder; empty when the user cancels.
    virtual QString browseFolder(QWidget* owner, const QString& title) = 0;
    // A SoundFont file (.sf2 or .sf3), starting in `start`'s folder; empty when cancelled.
    virtual QString chooseSoundFont(QWidget* owner, const QString& title, const QString& start) = 0;
};

class QtOptionChoosers final : public OptionChoosers {
  public:
    QString browseFolder(QWidget* owner, const QString& title) override;
    QString chooseSoundFont(QWidget* owner, const QString& title, const QString& start) override;
};

}  // namespace vesk::ui
