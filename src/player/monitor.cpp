#include <algorithm>
#include <cmath>
#include <limits>

#include "intake/path_text.h"
#include "player/play_order.h"
#include "player/player.h"
#include "player/player_log.h"
#include "player/speed.h"

namespace vesk::player {
namespace {

constexpr std::int16_t kEndOfSongMs = 2000;
constexpr std::int16_t kScrollRestMs = 2000;

std::int16_t addCapped(std::int16_t value, int add, int cap) {
    return static_cast<std::int16_t>(std::min(int{value} + std::max(add, 0), cap));
}

}  // namespace

void Player::monitorTick(int tickMs) {
    // A reset inside a load lets events run; a tick arriving then waits for the next one.
    if (inTick_) {
        return;
    }
    inTick_ = true;
    std::optional<QString> handed;
    if (!openingHandoff_ && !module_.handoffFolder.isEmpty()) {
        handed = handoffInbox_.take(module_.handoffFolder);
    }
    if (inMain()) {
        keepWindowPosition();
    }
    if (state_.playRequested) {
        followPlayback(tickMs);
    }
    inTick_ = false;
    // Position and the end of a song are seen here first.
    notifyObservers();
    // Opened once the tick is done: a message it shows (a folder, a file of no supported
    // kind) waits for the user while the following ticks go on. Later hand-offs wait in
    // their folder until this one is open.
    if (handed) {
        qCDebug(lcPlayer) << "handed over:" << *handed;
        openingHandoff_ = true;
        view().openCommandLine(*handed);
        openingHandoff_ = false;
    }
}

void Player::keepWindowPosition() {
    const std::optional<QPoint> where = view().windowTopLeft();
    if (!where) {
        return;
    }
    const bool topChanged = where->y() != settings_.top;
    const bool leftChanged = where->x() != settings_.left;
    if (main_.infoShown && (topChanged || leftChanged)) {
        view().followInfoWindow(topChanged, leftChanged);
    }
    settings_.top = where->y();
    settings_.left = where->x();
}

void Player::keepSpeed() {
    SpeedState& s = speed();
    if (!s.doubleSpeed && !s.halfSpeed) {
        return;
    }
    // The song changed its own tempo: apply the speed to the new one.
    if (engine_.bpm() != s.speedTempo) {
        applySpeed(s);
    }
}

void Player::followPlayback(int tickMs) {
    keepSpeed();
    if (inMain()) {
        const std::int32_t now = engine_.nowPos();
        const QString text = intake::formatTime(timeAtSpeed(now, main_.speed));
        if (main_.infoShown) {
            view().setBpmText(QStringLiteral("BPM  ") + QString::number(engine_.bpm()));
        }
        if (text != main_.nowText) {
            setNow(text);
        }
        const std::int32_t playTime = engine_.playTime();
        if (playTime > 0) {
            const int range = view().positionBarRange();
            const double width = std::floor(double(range) * double(now) / double(playTime));
            const int bar = static_cast<int>(std::clamp(width, 0.0, double(std::max(range, 0))));
            if (bar != main_.positionBarWidth) {
                setPositionBar(bar);
            }
        }
        scrollTitle(tickMs);
    }

    if (engine_.status() != QLatin1String("stopped")) {
        state_.stoppedTime = 0;
        return;
    }
    state_.stoppedTime =
        addCapped(state_.stoppedTime, tickMs, std::numeric_limits<std::int16_t>::max());
    if (state_.stoppedTime > kEndOfSongMs) {
        songEnded();
    }
}

void Player::scrollTitle(int tickMs) {
    if (!main_.scroll) {
        setTitleLeft(kTitleStartLeft);
        return;
    }
    if (main_.titleLeft == kTitleStartLeft) {
        main_.scrollWait = addCapped(main_.scrollWait, tickMs, kScrollRestMs);
    } else {
        main_.scrollWait = kScrollRestMs;
    }
    if (main_.scrollWait < kScrollRestMs) {
        return;
    }
    int left = main_.titleLeft - std::max(1, tickMs / kScrollMsPerPixel);
    if (left <= -view().titleWidth()) {
        left = kTitleStartLeft;
        main_.scrollWait = 0;
    }
    setTitleLeft(left);
}

void Player::songEnded() {
    if (settings_.repeat == static_cast<std::int16_t>(RepeatModes::Single)) {
        engine_.setNowPos(0);
        return;
    }
    const std::int16_t p = nextPosition(state_.playOrderPos, state_.listLast());
    state_.currentEntry = p;
    state_.playOrderPos = p;
    if (settings_.repeat == static_cast<std::int16_t>(RepeatModes::None) && p == 0) {
        transportStop();
        engine_.midiClose();
        state_.playRequested = false;
        return;
    }
    if (settings_.repeat == static_cast<std::int16_t>(RepeatModes::Shuffle)) {
        state_.currentEntry = entryAtPosition(p, true, state_.shuffleOrder);
    }
    playEntry(state_.currentEntry);
}

}  // namespace vesk::player
