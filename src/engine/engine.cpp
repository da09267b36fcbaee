#include "engine/engine.h"

#include <QLoggingCategory>
#include <atomic>
#include <memory>
#include <thread>
#include <utility>

#include "engine/hex_bytes.h"
#include "engine/reply_number.h"
#include "engine/sequencer_call.h"

Q_LOGGING_CATEGORY(lcEngine, "vesk.engine")

namespace vesk::engine {
namespace {

constexpr std::string_view kAlias = "Tavorin";
constexpr int kPositionReply = 16;
constexpr int kModeReplyHeld = 64;
constexpr int kModeReplyGiven = 10;
constexpr int kTempoReply = 64;

std::string withNumber(std::string_view text, std::int64_t value) {
    std::string command(text);
    command += std::to_string(value);
    return command;
}

}  // namespace

Engine::Engine(sequencer::CommandSequencer& sequencer, platform::MidiOutputService& midiOut,
               platform::UserInteraction& interaction, QString appTitle)
    : sequencer_(sequencer),
      midiOut_(midiOut),
      interaction_(interaction),
      appTitle_(std::move(appTitle)),
      clock_(steadyClock_) {}

Engine::Engine(sequencer::CommandSequencer& sequencer, platform::MidiOutputService& midiOut,
               platform::UserInteraction& interaction, QString appTitle,
               const platform::Clock& clock)
    : sequencer_(sequencer),
      midiOut_(midiOut),
      interaction_(interaction),
      appTitle_(std::move(appTitle)),
      clock_(clock) {}

void Engine::send(std::string_view command) {
    ret_ = sendCommand(sequencer_, command);
}

void Engine::openIfClosed() {
    if (lastCommand_ == kSessionClosed) {
        send(openCommand(fileName_, kAlias));
        send(withNumber("set Tavorin port ", device_));
    }
}

void Engine::showCritical(const QString& text) {
    interaction_.showMessage(text, platform::MessageIcon::Critical, platform::MessageButtons::Ok,
                             appTitle_);
}

void Engine::setFileName(const QString& fileName) {
    fileName_ = fileName;
    const std::int16_t code = loadSmfInfo();
    if (code != kSmfOk) {
        showCritical(smfErrorMessage(code));
    }
}

QString Engine::copyright() const {
    return copyright_.isEmpty() ? QStringLiteral("-") : copyright_;
}

void Engine::setDevice(std::int32_t device) {
    const int count = midiOut_.deviceCount();
    if (device < -1 || device > count - 1) {
        showCritical(QStringLiteral("指定した値が不正です"));
        return;
    }
    device_ = device;
    if (lastCommand_ == kSessionClosed) {
        send(openCommand(fileName_, kAlias));
    }
    send(withNumber("set Tavorin port ", device_));
}

QString Engine::status() {
    std::string reply;
    ret_ = sendQuery(sequencer_, "status Tavorin mode", kModeReplyHeld, kModeReplyGiven, reply);
    status_ = QString::fromLatin1(reply.data(), static_cast<qsizetype>(reply.size()));
    return status_;
}

std::int32_t Engine::nowPos() {
    std::string reply;
    send("set Tavorin time format milliseconds");
    ret_ = sendQuery(sequencer_, "status Tavorin position", kPositionReply, kPositionReply, reply);
    nowPos_ = leadingWholeNumber(reply);
    return nowPos_;
}

void Engine::setNowPos(std::int32_t position) {
    send("set Tavorin time format milliseconds");
    send(withNumber("play Tavorin from ", position));
}

std::int32_t Engine::bpm() {
    std::string reply;
    ret_ = sendQuery(sequencer_, "status Tavorin Tempo", kTempoReply, kTempoReply, reply);
    return leadingWholeNumber(reply);
}

void Engine::setBpm(std::int32_t tempo) {
    openIfClosed();
    send(withNumber("set Tavorin Tempo ", tempo));
}

void Engine::midiPlay() {
    openIfClosed();
    send("play Tavorin");
    lastCommand_ = kSessionPlaying;
}

void Engine::midiPause() {
    openIfClosed();
    send("pause Tavorin");
    lastCommand_ = kSessionPaused;
}

void Engine::midiStop() {
    openIfClosed();
    send("seek Tavorin to start");
    send("stop Tavorin");
    lastCommand_ = kSessionStopped;
}

void Engine::midiClose() {
    if (lastCommand_ > kSessionOpened) {
        // Its result is of no interest: the close that follows is what counts.
        sendCommand(sequencer_, "stop Tavorin");
    }
    send("close Tavorin");
    lastCommand_ = kSessionClosed;
}

void Engine::midiOpen(const QString& newFileName) {
    Q_UNUSED(newFileName);
    send(openCommand(fileName_, kAlias));
    send(withNumber("set Tavorin port ", device_));
    lastCommand_ = kSessionOpened;
}

std::chrono::milliseconds Engine::sysExWaitLimit(std::size_t byteCount) {
    // A device normally takes a message within milliseconds; a port needs about 0.32 ms a
    // byte at MIDI wire speed. Two seconds plus a millisecond a byte leaves a wide margin
    // and still ends the wait when the completion notice is lost.
    return std::chrono::milliseconds(2000) +
           std::chrono::milliseconds(static_cast<std::int64_t>(byteCount));
}

void Engine::sendEx(const QString& hexText) {
    if (hexText.isEmpty()) {
        return;
    }
    if (lastCommand_ != kSessionClosed) {
        midiClose();
    }
    std::unique_ptr<platform::MidiOutDevice> device;
    ret_ = midiOut_.open(device_, device);
    if (ret_ != 0 || !device) {
        qCInfo(lcEngine) << "MIDI output" << device_ << "could not be opened:" << ret_;
        return;
    }
    const auto message = parseHexBytes(hexText);
    if (!message) {
        qCWarning(lcEngine) << "not a hexadecimal byte text, nothing sent:" << hexText;
        device.reset();
        ret_ = 0;
        return;
    }

    // Owned jointly with the callback, so a notice that arrives after the wait has given
    // up lands in a flag nobody reads any more.
    auto SysExDone = std::make_shared<std::atomic<bool>>(false);
    ret_ = device->longMsg(*message, [SysExDone] { SysExDone->store(true); });
    if (ret_ == 0) {
        const auto limit = sysExWaitLimit(message->size());
        const platform::Nanos start = clock_.now();
        while (!SysExDone->load()) {
            if (clock_.now() - start >= limit) {
                qCWarning(lcEngine)
                    << "MIDI output" << device_ << "did not report the message done; going on";
                break;
            }
            interaction_.processEvents();
            std::this_thread::yield();
        }
    }
    ret_ = device->reset();
    device.reset();
    // Closing cannot fail here, so the last call leaves success behind.
    ret_ = 0;
}

SmfInfo Engine::readSmfInfo(const QString& file, bool measure) {
    if (measure && lastCommand_ != kSessionClosed) {
        midiClose();
    }
    SmfInfo info = readSmfFile(file);
    if (info.errorCode == kSmfOk && measure) {
        info.playTime = measurePlayTime(sequencer_, file, ret_);
    }
    return info;
}

std::int16_t Engine::loadSmfInfo() {
    const SmfInfo info = readSmfInfo(fileName_, true);
    if (info.errorCode == kSmfOk) {
        copyright_ = info.copyright;
        title_ = info.title;
        playTime_ = info.playTime;
        format_ = info.format;
        tracks_ = info.tracks;
        division_ = info.division;
    }
    return info.errorCode;
}

QString Engine::getMidiTitle(const QString& file) {
    const SmfInfo info = readSmfInfo(file, false);
    return info.errorCode == kSmfOk ? info.title : QString();
}

}  // namespace vesk::engine
