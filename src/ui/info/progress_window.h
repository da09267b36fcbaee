#pragma once
// The progress window F_2: while files are taken into the play list it names the folder
// or archive, the file and the title of the entry being added.

#include <QWidget>

#include "intake/song_entry.h"

class QLabel;

namespace vesk::ui {

class ElidedLabel;

class F_2 final : public QWidget {
    Q_OBJECT
  public:
    // `owner` (may be null): the window F_2 stays above; it is not a child of it.
    explicit F_2(QWidget* owner = nullptr);

    // The entry about to be appended: Container, Name and Title into the three rows.
    void showEntry(const intake::SongEntry& entry);

    // Full texts of the three values (they are shortened on screen when too long).
    QString pathText() const;
    QString fileText() const;
    QString titleText() const;

    ElidedLabel* lbl_Path() const { return path_; }
    ElidedLabel* lbl_File() const { return file_; }
    ElidedLabel* lbl_Title() const { return title_; }

  private:
    ElidedLabel* path_ = nullptr;
    ElidedLabel* file_ = nullptr;
    ElidedLabel* title_ = nullptr;
};

}  // namespace vesk::ui
