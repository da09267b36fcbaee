#pragma once
// The player core: the play list, the transport commands, the monitor tick, loading a
// song, the device reset and choice, and the state behind the repeat, speed and device
// menus. One object serves the main window and the tray window; whichever exists is
// attached as the view, and in tray mode the same procedures keep the tray's speed, write
// no display and drive the tray's menu states.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "config/module_state.h"
#include "config/settings.h"
#include "engine/engine.h"
#include "platform/handoff.h"
#include "platform/midi_out/channel_activity.h"
#include "platform/user_interaction.h"
#include "player/channel_mix.h"
#include "player/lyrics.h"
#include "player/player_observer.h"
#include "player/player_state.h"
#include "player/player_view.h"
#include "player/random_source.h"
#include "player/song_preparation.h"

namespace vesk::player {

enum class WindowMode { Main, Tray };

struct PlayerServices {
    SongPreparation preparation;
    // Opens a document with the desktop's default application, in `workingFolder`.
    std::function<void(const QString& path, const QString& workingFolder)> openDocument;
    // What the output's channels do, timed on the playback clock; without them the channel
    // window has no rows.
    platform::midiout::ChannelActivity* channelActivity = nullptr;
    const platform::Clock* playbackClock = nullptr;
};

class Player {
  public:
    Player(engine::Engine& engine, config::Settings& settings, const config::ModuleState& module,
           platform::UserInteraction& interaction, RandomSource& random, PlayerServices services);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // The window that shows the player from now on. The view must outlive its attachment.
    void attachView(PlayerView& view, WindowMode mode);
    // Observers must outlive their registration or be removed first.
    void addObserver(PlayerObserver& observer);
    void removeObserver(PlayerObserver& observer);
    WindowMode mode() const { return mode_; }

    PlayerState& state() { return state_; }
    const PlayerState& state() const { return state_; }
    const MainWindowState& mainWindow() const { return main_; }
    const TrayState& tray() const { return tray_; }
    std::int16_t repeatMode() const { return settings_.repeat; }

    // Song list (play_list.cpp).
    // Rebuilds the display from scratch (start -1) or appends the lines after `start`.
    void updateList(std::int16_t start);
    // Appends `entries` up to the list's limit of kMaxEntries and shows the new lines; when
    // some did not fit, says so. Every window takes songs in through here.
    void appendEntries(const std::vector<intake::SongEntry>& entries);
    // Empties the list before a new one is opened. The display keeps the old lines until
    // the next appendEntries rebuilds it.
    void clearPlayList();
    // An open that brought nothing: the monitor has no song to start.
    void dropPlayRequest();
    void swapEntries(std::int16_t a, std::int16_t b, bool keepCurrent);
    // Removes entry `selected`; an index outside the list changes nothing.
    void deleteEntry(std::int16_t selected);
    // Writes the caption for the current entry.
    void showCaption();

    // Transport (transport.cpp). In tray mode these are the tray menu's commands.
    void transportPlay();
    void transportPause();
    void transportStop();
    void transportPrev();
    void transportNext();
    void transportBack();

    // The sequencer as the windows see it: whether a song sounds or nothing is loaded,
    // whether a session is open, closing it, the song's length and a jump in it (ms).
    bool isPlaying();
    bool isIdle();
    bool sessionOpen() const;
    void closeSession();
    std::int32_t songLength() const;
    void seekTo(std::int32_t position);
    std::int32_t position();
    Playback playback();
    // The speed in force in the window that is shown.
    const SpeedState& speedInForce() const { return inMain() ? main_.speed : tray_.speed; }
    // The loaded song's title as the engine read it.
    QString songTitle() const;
    // Takes in a line of quoted paths as a hand-off from a second start; with `playNew`,
    // the first new entry starts when nothing was playing.
    void takeCommandLine(const QString& line, bool playNew);

    // One tick of the monitor loop; `tickMs` is the timer's interval.
    void monitorTick(int tickMs = 250);

    // Loading (loader.cpp).
    // Loads entry `index` and starts it; false when there is no such entry. A song that
    // cannot be read is shown by its name with nothing playing.
    bool playEntry(std::int16_t index);
    void openDocument();
    FileInfoTexts currentFileInfo();
    void setInfoShown(bool shown);

    // Device (device_reset.cpp).
    int chooseDeviceSlot();
    int resetDevice();

    // Menu commands (menu_state.cpp).
    void repeatCommand(std::int16_t index);
    void doubleSpeedCommand();
    void halfSpeedCommand();
    void deviceACommand();
    void deviceBCommand();
    void autoDeviceCommand();
    void scrollCommand();
    // Moves every song from now on by `step` semitones, within an octave either way; drums
    // are never moved. The shift stays for the next songs until reset.
    void transposeCommand(int step);
    void resetTransposeCommand();
    int transpose() const { return settings_.transpose; }
    // Loop points (loop_choice.cpp): a song that marks a loop plays its looped part
    // `passes` times (0..8, 0: as written) and fades out; always, or only while one song
    // repeats. Both stay for the next songs; the total time shows the length heard.
    void loopsCommand(int passes);
    // 0, 1, ... 8, then 0 again.
    void nextLoopsCommand();
    void loopAlwaysCommand();
    int loops() const { return settings_.loops; }
    bool loopAlways() const { return settings_.loopAlways; }
    // Builds ShuffleOrder anew for the list as it is.
    void rebuildShuffleOrder();

    // Lyrics (lyrics_source.cpp). The loaded song's lyrics, read on first use after each
    // load, and the song time reached in milliseconds (read without touching the engine's
    // last result, so a window may ask often).
    const LyricSheet& lyricSheet();
    // Counts loads, so a window knows when to take the sheet again.
    std::uint64_t songGeneration() const { return songGeneration_; }
    std::int32_t songPosition() { return engine_.peekSongPosition(); }

    // Channels (channels.cpp). Rows for the channels the song has used so far; mute and
    // solo act at once on the song being heard and are cleared when another is loaded.
    std::vector<ChannelRow> channelRows() const;
    void toggleChannelMute(int channel);
    void toggleChannelSolo(int channel);
    const ChannelMix& channelMix() const { return channelMix_; }

    // Tray mode (player.cpp): entering takes the main window's speed and runs the repeat
    // command; returning starts the main window afresh and shows the song in progress.
    void enterTray(PlayerView& trayView);
    void returnFromTray(PlayerView& mainView);

  private:
    bool inMain() const { return mode_ == WindowMode::Main; }
    SpeedState& speed() { return inMain() ? main_.speed : tray_.speed; }
    PlayerView& view() { return *view_; }

    void setStatus(const QString& text);
    void setNow(const QString& text);
    void setTotal(const QString& text);
    void setTitle(const QString& text);
    void setTitleLeft(int left);
    void setPositionBar(int width);
    void setDeviceShown(int slot);
    void setCaptionText(const QString& caption);
    void setCanPause(bool canPause);
    void setTrayMenu(bool play, bool pause, bool stop, bool prev);
    void updateEnableFlags();
    void rewindDisplay();
    // The window's menus and flags follow the state, and so do the observers.
    void changed();
    void notifyObservers();
    void notifySeeked(std::int32_t position);
    // Gives the engine the passes in force for the repeat mode and shows the new length.
    void applyLoops();

    // The song as a Standard MIDI File on disk; none when its file or archive is missing.
    struct SongFile {
        QString folder;  // ends with "/"
        QString file;
    };
    std::optional<SongFile> prepareSong(const intake::SongEntry& entry);
    void applySpeedOnLoad();
    // Takes the song's tempo as BaseTempo and writes the tempo for the speed.
    void applySpeed(SpeedState& s);
    void keepSpeed();
    void followPlayback(int tickMs);
    void scrollTitle(int tickMs);
    void keepWindowPosition();
    void songEnded();
    bool moveTo(std::int16_t index);
    void showUnplayable(const intake::SongEntry& entry);
    void changeSpeed(bool toDouble);
    // `slot` -1 is the automatic choice.
    void chooseDevice(const QString& choice, int slot);
    // Another song than the last: every channel sounds again and none counts as used. The
    // same song again (replayed after a stop, or by repeat) keeps the listener's choice.
    void restartChannels(const intake::SongEntry& entry);

    engine::Engine& engine_;
    config::Settings& settings_;
    const config::ModuleState& module_;
    platform::UserInteraction& interaction_;
    RandomSource& random_;
    PlayerServices services_;

    class NullView final : public PlayerView {
      public:
        void openCommandLine(const QString&) override {}
    };
    NullView nullView_;
    PlayerView* view_ = &nullView_;
    std::vector<PlayerObserver*> observers_;
    WindowMode mode_ = WindowMode::Main;
    bool inTick_ = false;
    platform::HandoffInbox handoffInbox_;
    bool openingHandoff_ = false;  // a handed-over command line is being opened
    // A device the engine refused during the reset, not to be asked for again at once.
    std::optional<std::int16_t> refusedDevice_;

    std::uint64_t songGeneration_ = 0;
    std::uint64_t sheetGeneration_ = 0;
    LyricSheet sheet_;
    ChannelMix channelMix_;
    QString channelsSong_;  // the song the channel choice belongs to

    PlayerState state_;
    MainWindowState main_;
    TrayState tray_;
};

}  // namespace vesk::player
