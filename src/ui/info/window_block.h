#pragma once
// A window shown without being modal that must still keep the main window from taking
// input: the main window is disabled for as long as the blocker lives.

#include <QPointer>
#include <QWidget>

namespace vesk::ui {

class WindowBlock {
  public:
    // Disables `window` (none is allowed: then nothing is blocked).
    explicit WindowBlock(QWidget* window);
    // Enables the window again, if it still exists.
    ~WindowBlock();

    WindowBlock(const WindowBlock&) = delete;
    WindowBlock& operator=(const WindowBlock&) = delete;

    // Gives the window back now rather than at destruction.
    void release();

  private:
    QPointer<QWidget> window_;
};

}  // namespace vesk::ui
