#pragma once
// What the desktop's media controls see of the player, and the decisions that turn their
// requests into the player's own commands. Pure: the service reads the player into a
// snapshot and acts on what these functions decide.

#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <optional>

namespace vesk::ui::mpris {

inline constexpr char kServiceName[] = "org.mpris.MediaPlayer2.veskmidi";
inline constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
inline constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
inline constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

// The player's properties that change while it runs (Position is read on demand, as
// clients expect, and announced only through Seeked).
struct Snapshot {
    QString playbackStatus = QStringLiteral("Stopped");
    QString loopStatus = QStringLiteral("None");
    bool shuffle = false;
    double rate = 1.0;
    QVariantMap metadata;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
};

// The properties whose values differ, by their bus names, with the new values.
QVariantMap changedProperties(const Snapshot& before, const Snapshot& after);

// Repeat modes as the play list keeps them: 0 none, 1 single, 2 all, 3 shuffle (which
// also runs through the list without end).
QString loopStatusOf(std::int16_t repeat);
// The repeat mode for a requested LoopStatus; none for an unknown word. Asking for
// Playlist keeps shuffle on.
std::optional<std::int16_t> repeatForLoop(std::int16_t repeat, const QString& loop);
std::int16_t repeatForShuffle(std::int16_t repeat, bool on);

// The speeds the player knows and the menu command that moves between them.
enum class Speed { Half, Normal, Double };
enum class SpeedCommand { None, Double, Half };
double rateOf(Speed speed);
// The nearest speed to a requested rate (measured by ratio); rates at or below zero are
// not speeds and give none.
std::optional<Speed> speedForRate(double rate);
// The command that turns `current` into `wanted`: the double and half commands toggle.
SpeedCommand commandFor(Speed current, Speed wanted);

// Where a relative seek lands: none when it runs past the end (the next song is due).
std::optional<std::int32_t> seekTarget(std::int32_t positionMs, std::int64_t offsetUs,
                                       std::int32_t lengthMs);

}  // namespace vesk::ui::mpris
