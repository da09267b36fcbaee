#pragma once
// The progress window: while files are taken into the play list it names the folder
// or archive, the file and the title of the entry being added.

#include <QWidget>

#include "intake/song_entry.h"

namespace vesk::ui {

class ElidedLabel;

class ProgressWindow final : public QWidget {
    Q_OBJECT
  public:
    // `owner` (may be null): the window it stays above; it is not a child of it.
    explicit ProgressWindow(QWidget* owner = nullptr);

    // The entry about to be appended: Container, Name and Title into the three rows.
    void showEntry(const intake::SongEntry& entry);

  private:
    ElidedLabel* path_ = nullptr;
    ElidedLabel* file_ = nullptr;
    ElidedLabel* title_ = nullptr;
};

}  // namespace vesk::ui
