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
    bool doubleSpeed = false;
    bool halfSpeed = false;
    std::int16_t baseTempo = 0;
    std::int16_t speedTempo = 0;
};

struct PlayerState {
    std::vector<intake::SongEntry> playList;
    std::int16_t currentEntry = 0;
    std::int16_t previousEntry = -2;
    std::int16_t playOrderPos = 0;
    std::vector<std::int16_t> shuffleOrder;
    bool playRequested = false;
    std::int16_t stoppedTime = 0;
    QString documentPath;
    DeviceChoiceFlags choice;
    // The slot of the song loaded last, or the one a device command chose.
    int slotInUse = 0;

    std::int16_t listLast() const {
        const auto count = std::min<std::size_t>(playList.size(), kMaxEntries);
        return static_cast<std::int16_t>(static_cast<int>(count) - 1);
    }
};

// The main window's state. Labels are kept here as they were last written, so commands
// that put a text back (the status word, the title) read it from here.
// The status word of a window that has not written one yet.
inline const QString kNoStatusText = QStringLiteral("―――");

struct MainWindowState {
    SpeedState speed;
    bool infoShown = false;
    bool hasDocument = false;
    bool canPlay = false;
    bool canPause = false;
    bool canStop = false;
    bool canPrev = false;
    bool canNext = false;
    bool canBack = false;
    bool canDelete = false;
    bool scroll = true;
    std::int16_t scrollWait = 0;
    int titleLeft = kTitleStartLeft;
    QString statusText = kNoStatusText;
    QString nowText = QStringLiteral("00:00");
    QString totalText = QStringLiteral("00:00");
    QString titleText;
    QString caption;
    int deviceShown = 0;
    int positionBarWidth = 1;
};

// The tray window's speed, taken from the main window at tray entry, and its menu states.
struct TrayState {
    SpeedState speed;
    bool playEnabled = true;
    bool pauseEnabled = false;
    bool stopEnabled = false;
    bool prevEnabled = false;
};

}  // namespace vesk::player
