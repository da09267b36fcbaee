#pragma once
// Writes 16-bit PCM stereo WAV files from float frames, a piece at a time.

#include <QFile>
#include <QString>
#include <cstdint>
#include <span>

namespace vesk::platform::midiout {

class WavWriter {
  public:
    WavWriter() = default;
    ~WavWriter();  // closes the file, finishing its header
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates or replaces `path`. False with errorString() set on failure.
    bool open(const QString& path, int sampleRate);
    // Interleaved stereo frames (left, right), full scale at ±1.0; louder samples clip.
    bool write(std::span<const float> interleaved);
    // Fills in the sizes in the header and closes the file.
    bool close();

    std::int64_t framesWritten() const { return frames_; }
    QString errorString() const { return error_; }

  private:
    bool fail(const QString& message);
    bool writeHeader(std::uint32_t dataBytes);

    QFile file_;
    int sampleRate_ = 44100;
    std::int64_t frames_ = 0;
    QString error_;
};

}  // namespace vesk::platform::midiout
