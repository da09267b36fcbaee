#pragma once
// The program's look outside its drawn skin: popup menus, dialogs, message boxes and
// Qt's own file dialogs in the dark colours of the main window, on every desktop alike.

#include <QPalette>

namespace vesk::ui {

// The main window's colours as a palette for the toolkit's own widgets.
QPalette darkPalette();

// Fusion with darkPalette for the whole program; start-up does this before any window.
void applyDarkLook();

}  // namespace vesk::ui
