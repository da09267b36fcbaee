#pragma once
// The state the player's procedures share: the play list and its positions (module
// state, kept across tray mode), the main window's own state, and the tray's.

#include <QString>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "intake/song_entry.h"
#include "player/device_choice.h"
#include "player/play_list.h"
#include "player/player_view.h"

namespace vesk::player {

enum class RepeatModes : std::int16_t { None = 0, Single = 1, All = 2, Shuffle = 3 };

// The speed in force: at most one of Double and Half. BaseTempo is the song's own tempo,
// SpeedTempo the tempo last written for the speed as the engine reported it back.
struct SpeedState {
    bool Double = false;
    bool Half = false;
    std::int16_t BaseTempo = 0;
    std::int16_t SpeedTempo = 0;
};

struct PlayerState {
    std::vector<intake::SongEntry> PlayList;
    std::int16_t CurrentEntry = 0;
    std::int16_t PreviousEntry = -2;
    std::int16_t PlayOrderPos = 0;
    std::vector<std::int16_t> ShuffleOrder;
    bool PlayRequested = false;
    std::int16_t StoppedTime = 0;
    QString DocumentPath;
    DeviceChoiceFlags Choice;
    // The slot of the song loaded last, or the one a device command chose.
    int SlotInUse = 0;

    std::int16_t ListLast() const {
        const auto count = std::min<std::size_t>(PlayList.size(), kMaxEntries);
        return static_cast<std::int16_t>(static_cast<int>(count) - 1);
    }
};

// The main window's state. Labels are kept here as they were last written, so commands
// that put a text back (the status word, the title) read it from here.
struct MainWindowState {
    SpeedState Speed;
    bool InfoShown = false;
    bool HasDocument = false;
    bool CanPlay = false;
    bool CanPause = false;
    bool CanStop = false;
    bool CanPrev = false;
    bool CanNext = false;
    bool CanBack = false;
    bool CanDelete = false;
    bool Scroll = true;
    std::int16_t ScrollWait = 0;
    int TitleLeft = kTitleStartLeft;
    QString StatusText;
    QString NowText = QStringLiteral("00:00");
    QString TotalText = QStringLiteral("00:00");
    QString TitleText;
    QString Caption;
    int DeviceShown = 0;
    int PositionBarWidth = 1;
};

// The tray window's speed, taken from the main window at tray entry, and its menu states.
struct TrayState {
    SpeedState Speed;
    bool PlayEnabled = true;
    bool PauseEnabled = false;
    bool StopEnabled = false;
    bool PrevEnabled = false;
};

}  // namespace vesk::player
