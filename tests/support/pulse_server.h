#pragma once
// A private PulseAudio daemon with one null sink, for hearing what the player plays: the
// daemon runs with its own XDG_RUNTIME_DIR, so nothing of the user's session is touched,
// and parec records the sink's monitor. Both are ended by their pids.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <vector>

namespace vesk::test {

class PulseServer {
  public:
    // Null, with `whyNot` set to one line, when the daemon cannot start here.
    static std::unique_ptr<PulseServer> start(QString& whyNot);
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // The environment a client needs to reach this daemon (and only this one).
    QProcessEnvironment environment() const;
    QString runtimeDir() const { return dir_.path(); }

    // Records the sink's monitor as 16-bit stereo at 44.1 kHz into memory.
    bool startRecording();
    // Ends the recording; the frames as mono samples (left and right summed, -1..1).
    std::vector<float> stopRecording();

    static constexpr int kRate = 44100;

  private:
    PulseServer() = default;
    QTemporaryDir dir_;
    QString rawPath_;
    std::unique_ptr<QProcess> daemon_;
    std::unique_ptr<QProcess> recorder_;
};

}  // namespace vesk::test
