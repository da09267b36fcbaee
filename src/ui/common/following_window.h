#pragma once
// A window that follows playback on a timer and whose open state is a setting: the lyrics
// and channel windows. It belongs to no main window, so it stays through the tray and back.

#include <QTimer>
#include <QWidget>

namespace vesk::ui {

class FollowingWindow : public QWidget {
  public:
    // `shown` is the setting that keeps the open state; it outlives the window.
    FollowingWindow(bool& shown, int refreshMs);

    // Opens or closes the window; the choice is kept in the setting.
    void setShown(bool shown);
    // Shows the state the player has now.
    virtual void refresh() = 0;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    bool& shown_;
    QTimer timer_;
};

}  // namespace vesk::ui
