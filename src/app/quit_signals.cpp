#include "app/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <cstring>

Q_LOGGING_CATEGORY(lcQuitSignals, "vesk.app.signals")

namespace vesk::app {
namespace {

constexpr std::array<int, 3> QuitSignalNumbers = {SIGTERM, SIGINT, SIGHUP};

// The write end of the one live pipe; the handler sees only this.
volatile std::sig_atomic_t signalPipe = -1;

void onQuitSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a quit request; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe, &byte, 1);
    errno = saved;
}

volatile std::sig_atomic_t raisedSignal = 0;

void onFlagSignal(int number) {
    raisedSignal = number;
}

}  // namespace

QuitFlag::QuitFlag() {
    raisedSignal = 0;
    struct sigaction action {};
    action.sa_handler = onFlagSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < QuitSignalNumbers.size(); ++i) {
        if (::sigaction(QuitSignalNumbers[i], &action, &previous_[i]) != 0) {
            qCWarning(lcQuitSignals)
                << "signal" << QuitSignalNumbers[i] << "not handled:" << std::strerror(errno);
            previous_[i].sa_handler = SIG_DFL;
        }
    }
}

QuitFlag::~QuitFlag() {
    for (std::size_t i = 0; i < QuitSignalNumbers.size(); ++i) {
        ::sigaction(QuitSignalNumbers[i], &previous_[i], nullptr);
    }
}

int QuitFlag::raised() const {
    return raisedSignal;
}

QuitSignals::QuitSignals(std::function<void()> quit) : quit_(std::move(quit)) {
    if (::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcQuitSignals) << "no pipe for quit signals:" << std::strerror(errno);
        pipe_ = {-1, -1};
    } else {
        signalPipe = pipe_[1];
        notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitSignals::onSignal);
        active_ = true;
        struct sigaction action {};
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int number : QuitSignalNumbers) {
            if (::sigaction(number, &action, nullptr) != 0) {
                qCWarning(lcQuitSignals)
                    << "signal" << number << "not handled:" << std::strerror(errno);
                active_ = false;
            }
        }
    }
    if (active_) {
        qCInfo(lcQuitSignals) << "quit signals handled";
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // The session ends after this request: what quitting writes must be written now.
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { quitOnce(); });
    }
}

QuitSignals::~QuitSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : QuitSignalNumbers) {
        ::sigaction(number, &action, nullptr);
    }
    signalPipe = -1;
    notifier_.reset();
    for (const int fd : pipe_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void QuitSignals::onSignal() {
    unsigned char byte = 0;
    while (::read(pipe_[0], &byte, 1) == 1) {
        qCInfo(lcQuitSignals) << "quit on signal" << byte;
    }
    quitOnce();
}

void QuitSignals::quitOnce() {
    if (quitting_) {
        return;
    }
    quitting_ = true;
    // A second signal while the quit hangs ends the program the ordinary way.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : QuitSignalNumbers) {
        ::sigaction(number, &action, nullptr);
    }
    quit_();
}

}  // namespace vesk::app
