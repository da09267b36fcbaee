#include "platform/midi_out/wav_writer.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <limits>

namespace vesk::platform::midiout {

namespace {

constexpr int kChannelCount = 2;
constexpr int kBytesPerSample = 2;
constexpr int kHeaderBytes = 44;
// The RIFF sizes are 32-bit.
constexpr std::int64_t kMaxDataBytes = std::numeric_limits<std::uint32_t>::max() - kHeaderBytes;

void put16(QByteArray& out, std::uint16_t v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void put32(QByteArray& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.append(static_cast<char>((v >> shift) & 0xFF));
    }
}

std::int16_t toPcm(float sample) {
    if (!std::isfinite(sample)) {
        return 0;
    }
    float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
    return static_cast<std::int16_t>(std::lround(scaled));
}

}  // namespace

WavWriter::~WavWriter() {
    if (file_.isOpen()) {
        close();
    }
}

bool WavWriter::fail(const QString& message) {
    error_ = message;
    return false;
}

bool WavWriter::open(const QString& path, int sampleRate) {
    if (file_.isOpen()) {
        close();
    }
    error_.clear();
    frames_ = 0;
    if (sampleRate <= 0) {
        return fail(QStringLiteral("サンプリング周波数が正しくありません: %1").arg(sampleRate));
    }
    sampleRate_ = sampleRate;
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return fail(QStringLiteral("%1 に書き込めません: %2").arg(path, file_.errorString()));
    }
    return writeHeader(0);
}

bool WavWriter::writeHeader(std::uint32_t dataBytes) {
    QByteArray header;
    header.append("RIFF");
    put32(header, dataBytes + kHeaderBytes - 8);
    header.append("WAVEfmt ");
    put32(header, 16);
    put16(header, 1);  // PCM
    put16(header, kChannelCount);
    put32(header, static_cast<std::uint32_t>(sampleRate_));
    put32(header, static_cast<std::uint32_t>(sampleRate_ * kChannelCount * kBytesPerSample));
    put16(header, kChannelCount * kBytesPerSample);
    put16(header, 8 * kBytesPerSample);
    header.append("data");
    put32(header, dataBytes);
    if (!file_.seek(0) || file_.write(header) != header.size()) {
        return fail(
            QStringLiteral("%1 に書き込めません: %2").arg(file_.fileName(), file_.errorString()));
    }
    return true;
}

bool WavWriter::write(std::span<const float> interleaved) {
    if (!file_.isOpen()) {
        return fail(QStringLiteral("WAV ファイルが開かれていません。"));
    }
    if (interleaved.size() % kChannelCount != 0) {
        return fail(QStringLiteral("ステレオのフレームが半端です。"));
    }
    std::int64_t frames = static_cast<std::int64_t>(interleaved.size()) / kChannelCount;
    if ((frames_ + frames) * kChannelCount * kBytesPerSample > kMaxDataBytes) {
        return fail(QStringLiteral("WAV ファイルの大きさの上限 (4 GiB) を超えます。"));
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(interleaved.size()) * kBytesPerSample);
    for (float sample : interleaved) {
        put16(bytes, static_cast<std::uint16_t>(toPcm(sample)));
    }
    if (!file_.seek(kHeaderBytes + frames_ * kChannelCount * kBytesPerSample) ||
        file_.write(bytes) != bytes.size()) {
        return fail(
            QStringLiteral("%1 に書き込めません: %2").arg(file_.fileName(), file_.errorString()));
    }
    frames_ += frames;
    return true;
}

bool WavWriter::close() {
    if (!file_.isOpen()) {
        return error_.isEmpty();
    }
    bool ok = writeHeader(static_cast<std::uint32_t>(frames_ * kChannelCount * kBytesPerSample));
    if (!file_.flush()) {
        ok = fail(
            QStringLiteral("%1 に書き込めません: %2").arg(file_.fileName(), file_.errorString()));
    }
    file_.close();
    return ok && error_.isEmpty();
}

}  // namespace vesk::platform::midiout
