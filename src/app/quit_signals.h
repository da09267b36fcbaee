#pragma once
// Ends the player the way its own quit does when the system asks it to: SIGTERM, SIGINT
// and SIGHUP (logout, kill, a closed terminal) and the session manager's request to save
// before the desktop session ends. A signal handler may do almost nothing, so it only
// writes the signal number into a pipe; the event loop reads it and runs the quit.

#include <signal.h>

#include <QObject>
#include <array>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace vesk::app {

class QuitSignals final : public QObject {
    Q_OBJECT
  public:
    // `quit` runs once, on the first of the signals or the session's save request. The
    // handlers are in place as soon as this exists; the previous ones come back with it.
    explicit QuitSignals(std::function<void()> quit);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // False when the pipe or a handler could not be set up (the reason was logged).
    bool active() const { return active_; }

  private:
    void onSignal();
    void quitOnce();

    std::function<void()> quit_;
    std::array<int, 2> pipe_{-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    bool active_ = false;
    bool quitting_ = false;
};

// The same signals for work that runs without an event loop (the command-line tools):
// they only raise a flag, which the work looks at between its steps to stop cleanly. The
// previous handlers come back when this goes away.
class QuitFlag {
  public:
    QuitFlag();
    ~QuitFlag();
    QuitFlag(const QuitFlag&) = delete;
    QuitFlag& operator=(const QuitFlag&) = delete;

    // The number of the signal that asked to quit; 0 while none has.
    int raised() const;

  private:
    std::array<struct sigaction, 3> previous_{};
};

}  // namespace vesk::app
