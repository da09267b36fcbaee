#include <algorithm>
#include <cmath>
#include <limits>

#include "intake/path_text.h"
#include "platform/handoff.h"
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
    if (!module_.HandoffFolder.isEmpty()) {
        if (const auto line = platform::takeHandoffFile(module_.HandoffFolder)) {
            qCDebug(lcPlayer) << "handed over:" << *line;
            view().openCommandLine(*line);
        }
    }
    if (inMain()) {
        keepWindowPosition();
    }
    if (state_.PlayRequested) {
        followPlayback(tickMs);
    }
    inTick_ = false;
}

void Player::keepWindowPosition() {
    const std::optional<QPoint> where = view().windowTopLeft();
    if (!where) {
        return;
    }
    const bool topChanged = where->y() != settings_.Top;
    const bool leftChanged = where->x() != settings_.Left;
    if (main_.InfoShown && (topChanged || leftChanged)) {
        view().followInfoWindow(topChanged, leftChanged);
    }
    settings_.Top = where->y();
    settings_.Left = where->x();
}

void Player::keepSpeed() {
    SpeedState& s = speed();
    if (!s.Double && !s.Half) {
        return;
    }
    // The song changed its own tempo: apply the speed to the new one.
    if (engine_.Bpm() != s.SpeedTempo) {
        applySpeed(s);
    }
}

void Player::followPlayback(int tickMs) {
    keepSpeed();
    if (inMain()) {
        const std::int32_t now = engine_.NowPos();
        const QString text = intake::FormatTime(timeAtSpeed(now, main_.Speed));
        if (main_.InfoShown) {
            view().setBpmText(QStringLiteral("BPM  ") + QString::number(engine_.Bpm()));
        }
        if (text != main_.NowText) {
            setNow(text);
        }
        const std::int32_t playTime = engine_.PlayTime();
        if (playTime > 0) {
            const int range = view().positionBarRange();
            const double width = std::floor(double(range) * double(now) / double(playTime));
            const int bar = static_cast<int>(std::clamp(width, 0.0, double(std::max(range, 0))));
            if (bar != main_.PositionBarWidth) {
                setPositionBar(bar);
            }
        }
        scrollTitle(tickMs);
    }

    if (engine_.Status() != QLatin1String("stopped")) {
        state_.StoppedTime = 0;
        return;
    }
    state_.StoppedTime =
        addCapped(state_.StoppedTime, tickMs, std::numeric_limits<std::int16_t>::max());
    if (state_.StoppedTime > kEndOfSongMs) {
        songEnded();
    }
}

void Player::scrollTitle(int tickMs) {
    if (!main_.Scroll) {
        setTitleLeft(kTitleStartLeft);
        return;
    }
    if (main_.TitleLeft == kTitleStartLeft) {
        main_.ScrollWait = addCapped(main_.ScrollWait, tickMs, kScrollRestMs);
    } else {
        main_.ScrollWait = kScrollRestMs;
    }
    if (main_.ScrollWait < kScrollRestMs) {
        return;
    }
    int left = main_.TitleLeft - std::max(1, tickMs / kScrollMsPerPixel);
    if (left <= -view().titleWidth()) {
        left = kTitleStartLeft;
        main_.ScrollWait = 0;
    }
    setTitleLeft(left);
}

void Player::songEnded() {
    if (settings_.Repeat == static_cast<std::int16_t>(RepeatModes::Single)) {
        engine_.setNowPos(0);
        return;
    }
    const std::int16_t p = nextPosition(state_.PlayOrderPos, state_.ListLast());
    state_.CurrentEntry = p;
    state_.PlayOrderPos = p;
    if (settings_.Repeat == static_cast<std::int16_t>(RepeatModes::None) && p == 0) {
        TransportStop();
        engine_.MidiClose();
        state_.PlayRequested = false;
        return;
    }
    if (settings_.Repeat == static_cast<std::int16_t>(RepeatModes::Shuffle)) {
        state_.CurrentEntry = entryAtPosition(p, true, state_.ShuffleOrder);
    }
    PlayEntry(state_.CurrentEntry);
}

}  // namespace vesk::player
