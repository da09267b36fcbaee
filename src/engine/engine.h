#pragma once
// The one playback object: a session on the sequencer under the alias "Tavorin", the
// current song's header information, and System Exclusive output to a MIDI device.
// Everything runs on the user-interface thread; only SendEx's completion notice may
// arrive from another one.

#include <QString>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/call_result.h"
#include "engine/smf_info.h"
#include "platform/clock.h"
#include "platform/midi_output.h"
#include "platform/user_interaction.h"
#include "sequencer/command_sequencer.h"

namespace vesk::engine {

// What was last done to the session (LastCommand).
enum SessionCommand : std::uint8_t {
    kSessionClosed = 0,
    kSessionOpened = 1,
    kSessionPlaying = 2,
    kSessionPaused = 3,
    kSessionStopped = 4,
};

class Engine {
  public:
    // `appTitle` is the caption of the engine's messages. `clock` times the bound on
    // SendEx's wait; the real steady clock when none is given.
    Engine(sequencer::CommandSequencer& sequencer, platform::MidiOutputService& midiOut,
           platform::UserInteraction& interaction,
           QString appTitle = QStringLiteral("VESK MIDI PLAYER"));
    Engine(sequencer::CommandSequencer& sequencer, platform::MidiOutputService& midiOut,
           platform::UserInteraction& interaction, QString appTitle, const platform::Clock& clock);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    const QString& fileName() const { return fileName_; }
    // Stores the name and reads the song's header (closing an open session first); a
    // missing or unreadable file is reported in a message and the previous song's
    // information stays (the call then gives false). Does not open a session.
    bool setFileName(const QString& fileName);

    const QString& title() const { return title_; }
    // "-" when the song has no copyright text.
    QString copyright() const;
    std::int32_t playTime() const { return playTime_; }
    std::int16_t format() const { return format_; }
    std::int16_t tracks() const { return tracks_; }
    std::int16_t division() const { return division_; }

    std::int32_t device() const { return device_; }
    // Accepts -1 (the default output) up to the number of devices minus 1 and points the
    // session at it (opening the session when closed); anything else is refused with a
    // message and changes nothing.
    void setDevice(std::int32_t device);

    std::uint8_t lastCommand() const { return lastCommand_; }
    // The result of the last call that sent a command or used a device: the code of the
    // first of its commands or device calls that failed, 0 when all succeeded.
    std::int32_t lastResult() const { return result_.code(); }
    // The same failure in words, "" after a success.
    QString lastResultMessage() const { return result_.message(); }

    // Asks the sequencer for its mode word ("playing", "paused", "stopped", ...); "" when
    // no session is open or the query fails.
    QString status();

    // Asks the sequencer for the position in milliseconds (0 when the query fails).
    std::int32_t nowPos();
    // The position for displays that follow playback closely: read without changing
    // lastResult(); 0 while no session is open or the query fails.
    std::int32_t peekPosition();
    // The same in the song as written: after a loop jump, back inside the loop.
    std::int32_t peekSongPosition();
    // Starts playback at `position` milliseconds, whatever the state.
    void setNowPos(std::int32_t position);

    // The sequencer's tempo, rounded; not stored.
    std::int32_t bpm();
    void setBpm(std::int32_t tempo);

    // Semitones (-12..12, drums kept) for every song from now on, the open one included.
    std::int32_t transpose() const { return transpose_; }
    void setTranspose(std::int32_t semitones);

    // Passes of a song's marked loop before it fades out (0..99, 0: songs play as
    // written), for every song from now on, the open one included. playTime() follows.
    std::int32_t loops() const { return loops_; }
    void setLoops(std::int32_t passes);
    // Channels held back from the output (bit n: channel n, numbered port * 16 + channel):
    // the muted ones, and all but the soloed ones while any is soloed. Kept for every
    // session opened from now on, like the transposition.
    void setChannelFilter(std::uint32_t muted, std::uint32_t soloed);
    std::uint32_t mutedChannels() const { return mutedChannels_; }
    std::uint32_t soloedChannels() const { return soloedChannels_; }

    void midiPlay();
    void midiPause();
    // Rewinds, then stops, so that the next MidiPlay starts from the beginning.
    void midiStop();
    void midiClose();
    // Opens the session on the stored FileName. The argument is not adopted: the session
    // always plays the song whose header the engine last read.
    void midiOpen(const QString& newFileName);

    // Sends a System Exclusive message given as hexadecimal byte text ("F0 7E 7F 09 01 F7")
    // to Device, closing the session first. A text that is not such a list sends nothing.
    void sendEx(const QString& hexText);

    // The title of any song file, "" when it cannot be read. Touches nothing else.
    QString getMidiTitle(const QString& file);

    // How long SendEx waits for a device to take `byteCount` bytes.
    static std::chrono::milliseconds sysExWaitLimit(std::size_t byteCount);

  private:
    // A status answer read without touching lastResult(); 0 without a session or on failure.
    std::int32_t peekNumber(const char* command);
    SmfInfo readSmfInfo(const QString& file, bool measure, CallResult& result);
    std::int16_t loadSmfInfo();

    void send(CallResult& result, std::string_view command);
    void query(CallResult& result, std::string_view command, int held, int given,
               std::string& reply);
    // Makes `result` the one lastResult() reports, unless it holds no call at all.
    void finish(const CallResult& result);
    void openIfClosed(CallResult& result);
    // The session plays new songs untransposed; only a shift is sent.
    void sendTranspose(CallResult& result);
    void sendLoops(CallResult& result);
    // Only a filter that holds something back is sent.
    void sendChannelFilter(CallResult& result);
    std::string channelFilterCommand() const;
    void closeSession(CallResult& result);
    void sendSysEx(const QString& hexText, CallResult& result);
    void showCritical(const QString& text);

    sequencer::CommandSequencer& sequencer_;
    platform::MidiOutputService& midiOut_;
    platform::UserInteraction& interaction_;
    QString appTitle_;
    platform::SteadyClock steadyClock_;
    const platform::Clock& clock_;

    QString fileName_;
    QString title_;
    std::int32_t playTime_ = 0;
    std::int16_t format_ = 0;
    std::int16_t tracks_ = 0;
    std::int16_t division_ = 0;
    std::int32_t device_ = -1;
    std::uint8_t lastCommand_ = kSessionClosed;
    CallResult result_;
    QString status_;
    std::int32_t nowPos_ = 0;
    QString copyright_;
    std::int32_t transpose_ = 0;
    std::int32_t loops_ = 0;
    std::uint32_t mutedChannels_ = 0;
    std::uint32_t soloedChannels_ = 0;
};

}  // namespace vesk::engine
