#pragma once
// The loop submenu of the option menu: how many times a song's marked loop plays before
// it fades out, and whether that applies to every song or only while one song repeats.
// The player decides; the menu shows its state and passes the choices on.

#include <QMenu>
#include <array>

namespace vesk::player {
class Player;
}

namespace vesk::ui {

class LoopMenu {
  public:
    // Adds the submenu to `parent`.
    LoopMenu(QMenu& parent, player::Player& player);

    QMenu* menu() const { return menu_; }
    // Marks the count and the option in force, and names the count in the title.
    void sync();

  private:
    player::Player& player_;
    QMenu* menu_ = nullptr;
    std::array<QAction*, 9> countActions_{};  // 0 (off), 1 ... 8
    QAction* alwaysAction_ = nullptr;
};

}  // namespace vesk::ui
