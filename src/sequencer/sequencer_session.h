#pragma once
// One open song of the back end with its output device and, when it runs in real time,
// its playback thread.
//
// Thread safety: every public member may be called from any thread. A mutex guards the
// core and the device; the playback thread holds it only while sending what is due and
// sleeps on a condition variable until the next deadline or a command, never waking while
// paused or stopped. Commands send their own silencing and chasing messages while holding
// the lock, so the device never sees two senders at once.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/clock.h"
#include "platform/midi_output.h"
#include "sequencer/sequencer_core.h"
#include "sequencer/sequencer_errors.h"

namespace vesk::sequencer {

class SequencerSession {
  public:
    // `realTime`: a thread of its own sends the events on time; otherwise whoever drives
    // the session calls pump().
    SequencerSession(std::shared_ptr<const Song> song, platform::MidiOutputService& service,
                     platform::Clock& clock, bool realTime);
    ~SequencerSession();
    SequencerSession(const SequencerSession&) = delete;
    SequencerSession& operator=(const SequencerSession&) = delete;

    // The device used from the next time playback needs one (-1 = default output). A
    // device already open for another number is left at once, playback moving over.
    SequencerError setPort(int device);
    // These give DeviceOpen when the device cannot be opened; the song then plays on
    // without sound.
    SequencerError play();
    SequencerError playFrom(std::int64_t ms);
    void pause();
    void stop();
    void seek(std::int64_t ms);
    void setTempo(int bpm);
    void setTranspose(int semitones);
    void setLoops(int passes);
    void setChannelFilter(ChannelSet muted, ChannelSet soloed);
    // Silences, stops the thread and closes the device.
    void close();

    PlayMode mode() const;
    std::int64_t positionMs() const;
    std::int64_t songPositionMs() const;
    std::int64_t lengthMs() const;
    int tempo() const;
    int transpose() const;
    int loops() const;

    void pump(platform::Nanos now);
    std::optional<platform::Nanos> nextDeadline() const;

  private:
    class DeviceOutput final : public Output {
      public:
        void setDevice(platform::MidiOutDevice* device) { device_ = device; }
        void send(std::span<const std::uint8_t> message, platform::Nanos due,
                  platform::MidiPort port) override;

      private:
        platform::MidiOutDevice* device_ = nullptr;
        bool failed_ = false;
    };

    SequencerError openDevice();
    void closeDevice();
    void startThread();
    void wake();
    void run();
    void loop();

    platform::MidiOutputService& service_;
    platform::Clock& clock_;
    const bool realTime_;

    mutable std::mutex mutex_;
    std::condition_variable wakeUp_;
    SequencerCore core_;
    DeviceOutput output_;
    std::unique_ptr<platform::MidiOutDevice> device_;
    int port_ = -1;
    int openPort_ = -1;
    std::uint64_t generation_ = 0;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace vesk::sequencer
