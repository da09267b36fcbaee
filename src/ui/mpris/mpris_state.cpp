#include "ui/mpris/mpris_state.h"

#include <algorithm>
#include <cmath>

namespace vesk::ui::mpris {

QVariantMap changedProperties(const Snapshot& before, const Snapshot& after) {
    QVariantMap changed;
    auto note = [&changed](const char* name, const auto& was, const auto& now) {
        if (was != now) {
            changed.insert(QString::fromLatin1(name), QVariant::fromValue(now));
        }
    };
    note("PlaybackStatus", before.playbackStatus, after.playbackStatus);
    note("LoopStatus", before.loopStatus, after.loopStatus);
    note("Shuffle", before.shuffle, after.shuffle);
    note("Rate", before.rate, after.rate);
    note("Metadata", before.metadata, after.metadata);
    note("CanGoNext", before.canGoNext, after.canGoNext);
    note("CanGoPrevious", before.canGoPrevious, after.canGoPrevious);
    note("CanPlay", before.canPlay, after.canPlay);
    note("CanPause", before.canPause, after.canPause);
    note("CanSeek", before.canSeek, after.canSeek);
    return changed;
}

QString loopStatusOf(std::int16_t repeat) {
    switch (repeat) {
        case 1:
            return QStringLiteral("Track");
        case 2:
        case 3:
            return QStringLiteral("Playlist");
        default:
            return QStringLiteral("None");
    }
}

std::optional<std::int16_t> repeatForLoop(std::int16_t repeat, const QString& loop) {
    if (loop == QLatin1String("None")) {
        return 0;
    }
    if (loop == QLatin1String("Track")) {
        return 1;
    }
    if (loop == QLatin1String("Playlist")) {
        return repeat == 3 ? std::int16_t{3} : std::int16_t{2};
    }
    return std::nullopt;
}

std::int16_t repeatForShuffle(std::int16_t repeat, bool on) {
    if (on) {
        return 3;
    }
    // Shuffle off leaves the list repeating, as it did while shuffled.
    return repeat == 3 ? std::int16_t{2} : repeat;
}

double rateOf(Speed speed) {
    switch (speed) {
        case Speed::Half:
            return 0.5;
        case Speed::Double:
            return 2.0;
        case Speed::Normal:
            break;
    }
    return 1.0;
}

std::optional<Speed> speedForRate(double rate) {
    if (!(rate > 0.0) || !std::isfinite(rate)) {
        return std::nullopt;
    }
    const double octaves = std::log2(rate);
    if (octaves <= -0.5) {
        return Speed::Half;
    }
    if (octaves >= 0.5) {
        return Speed::Double;
    }
    return Speed::Normal;
}

SpeedCommand commandFor(Speed current, Speed wanted) {
    if (current == wanted) {
        return SpeedCommand::None;
    }
    switch (wanted) {
        case Speed::Double:
            return SpeedCommand::Double;
        case Speed::Half:
            return SpeedCommand::Half;
        case Speed::Normal:
            break;
    }
    // Back to normal: the command of the speed in force switches it off.
    return current == Speed::Double ? SpeedCommand::Double : SpeedCommand::Half;
}

std::optional<std::int32_t> seekTarget(std::int32_t positionMs, std::int64_t offsetUs,
                                       std::int32_t lengthMs) {
    const std::int64_t target = std::int64_t{positionMs} + offsetUs / 1000;
    if (target > lengthMs) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(std::max<std::int64_t>(target, 0));
}

}  // namespace vesk::ui::mpris
