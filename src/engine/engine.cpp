#include "engine/engine.h"

#include <QLoggingCategory>
#include <algorithm>
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

void Engine::send(CallResult& result, std::string_view command) {
    result.add(command, sendCommand(sequencer_, command));
}

void Engine::query(CallResult& result, std::string_view command, int held, int given,
                   std::string& reply) {
    result.add(command, sendQuery(sequencer_, command, held, given, reply));
}

void Engine::finish(const CallResult& result) {
    if (result.recorded()) {
        result_ = result;
    }
}

void Engine::openIfClosed(CallResult& result) {
    if (lastCommand_ == kSessionClosed) {
        send(result, openCommand(fileName_, kAlias));
        send(result, withNumber("set Tavorin port ", device_));
        sendTranspose(result);
        sendLoops(result);
        sendChannelFilter(result);
    }
}

void Engine::sendLoops(CallResult& result) {
    if (loops_ != 0) {
        send(result, withNumber("set Tavorin loops ", loops_));
    }
}

void Engine::setLoops(std::int32_t passes) {
    passes = std::clamp(passes, 0, 99);
    if (passes == loops_) {
        return;
    }
    loops_ = passes;
    if (lastCommand_ != kSessionClosed) {
        CallResult result;
        send(result, withNumber("set Tavorin loops ", loops_));
        std::string reply;
        query(result, "status Tavorin length", kPositionReply, kPositionReply, reply);
        finish(result);
        playTime_ = leadingWholeNumber(reply);
    } else if (!fileName_.isEmpty() && playTime_ > 0) {
        // Measured apart, so the last result stays that of the user's last command.
        CallResult unused;
        playTime_ = measurePlayTime(sequencer_, fileName_, unused, loops_);
    }
}

void Engine::sendTranspose(CallResult& result) {
    if (transpose_ != 0) {
        send(result, withNumber("set Tavorin transpose ", transpose_));
    }
}

void Engine::setTranspose(std::int32_t semitones) {
    transpose_ = std::clamp(semitones, -12, 12);
    if (lastCommand_ != kSessionClosed) {
        CallResult result;
        send(result, withNumber("set Tavorin transpose ", transpose_));
        finish(result);
    }
}

std::string Engine::channelFilterCommand() const {
    return withNumber(withNumber("set Tavorin channels ", mutedChannels_) + ' ', soloedChannels_);
}

void Engine::sendChannelFilter(CallResult& result) {
    if (mutedChannels_ != 0 || soloedChannels_ != 0) {
        send(result, channelFilterCommand());
    }
}

void Engine::setChannelFilter(std::uint32_t muted, std::uint32_t soloed) {
    if (muted == mutedChannels_ && soloed == soloedChannels_) {
        return;
    }
    mutedChannels_ = muted;
    soloedChannels_ = soloed;
    if (lastCommand_ != kSessionClosed) {
        CallResult result;
        send(result, channelFilterCommand());
        finish(result);
    }
}

void Engine::showCritical(const QString& text) {
    interaction_.showMessage(text, platform::MessageIcon::Critical, platform::MessageButtons::Ok,
                             appTitle_);
}

bool Engine::setFileName(const QString& fileName) {
    fileName_ = fileName;
    const std::int16_t code = loadSmfInfo();
    if (code != kSmfOk) {
        showCritical(smfErrorMessage(code));
        return false;
    }
    return true;
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
    CallResult result;
    if (lastCommand_ == kSessionClosed) {
        send(result, openCommand(fileName_, kAlias));
    }
    send(result, withNumber("set Tavorin port ", device_));
    finish(result);
}

QString Engine::status() {
    CallResult result;
    std::string reply;
    query(result, "status Tavorin mode", kModeReplyHeld, kModeReplyGiven, reply);
    finish(result);
    status_ = QString::fromLatin1(reply.data(), static_cast<qsizetype>(reply.size()));
    return status_;
}

std::int32_t Engine::nowPos() {
    CallResult result;
    std::string reply;
    send(result, "set Tavorin time format milliseconds");
    query(result, "status Tavorin position", kPositionReply, kPositionReply, reply);
    finish(result);
    nowPos_ = leadingWholeNumber(reply);
    return nowPos_;
}

std::int32_t Engine::peekPosition() {
    return peekNumber("status Tavorin position");
}

std::int32_t Engine::peekSongPosition() {
    return peekNumber("status Tavorin songposition");
}

std::int32_t Engine::peekNumber(const char* command) {
    if (lastCommand_ == kSessionClosed) {
        return 0;
    }
    char reply[32] = {};
    if (sequencer_.sendString(command, reply, sizeof reply) != 0) {
        return 0;
    }
    return leadingWholeNumber(reply);
}

void Engine::setNowPos(std::int32_t position) {
    CallResult result;
    send(result, "set Tavorin time format milliseconds");
    send(result, withNumber("play Tavorin from ", position));
    finish(result);
}

std::int32_t Engine::bpm() {
    CallResult result;
    std::string reply;
    query(result, "status Tavorin Tempo", kTempoReply, kTempoReply, reply);
    finish(result);
    return leadingWholeNumber(reply);
}

void Engine::setBpm(std::int32_t tempo) {
    CallResult result;
    openIfClosed(result);
    send(result, withNumber("set Tavorin Tempo ", tempo));
    finish(result);
}

void Engine::midiPlay() {
    CallResult result;
    openIfClosed(result);
    send(result, "play Tavorin");
    lastCommand_ = kSessionPlaying;
    finish(result);
}

void Engine::midiPause() {
    CallResult result;
    openIfClosed(result);
    send(result, "pause Tavorin");
    lastCommand_ = kSessionPaused;
    finish(result);
}

void Engine::midiStop() {
    CallResult result;
    openIfClosed(result);
    send(result, "seek Tavorin to start");
    send(result, "stop Tavorin");
    lastCommand_ = kSessionStopped;
    finish(result);
}

void Engine::closeSession(CallResult& result) {
    if (lastCommand_ > kSessionOpened) {
        // Left out of the result: the close that follows is what counts.
        CallResult stop;
        send(stop, "stop Tavorin");
    }
    send(result, "close Tavorin");
    lastCommand_ = kSessionClosed;
}

void Engine::midiClose() {
    CallResult result;
    closeSession(result);
    finish(result);
}

void Engine::midiOpen(const QString& newFileName) {
    Q_UNUSED(newFileName);
    CallResult result;
    send(result, openCommand(fileName_, kAlias));
    send(result, withNumber("set Tavorin port ", device_));
    sendTranspose(result);
    sendLoops(result);
    sendChannelFilter(result);
    lastCommand_ = kSessionOpened;
    finish(result);
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
    CallResult result;
    if (lastCommand_ != kSessionClosed) {
        closeSession(result);
    }
    sendSysEx(hexText, result);
    finish(result);
}

void Engine::sendSysEx(const QString& hexText, CallResult& result) {
    std::unique_ptr<platform::MidiOutDevice> device;
    platform::MidiOutError opened = midiOut_.open(device_, device);
    if (opened == platform::MidiOutError::None && !device) {
        opened = platform::MidiOutError::Failed;
    }
    result.add("open MIDI output", opened);
    if (opened != platform::MidiOutError::None) {
        qCInfo(lcEngine) << "MIDI output" << device_
                         << "could not be opened:" << platform::errorMessage(opened);
        return;
    }
    const auto message = parseHexBytes(hexText);
    if (!message) {
        qCWarning(lcEngine) << "not a hexadecimal byte text, nothing sent:" << hexText;
        return;
    }

    // Owned jointly with the callback, so a notice that arrives after the wait has given
    // up lands in a flag nobody reads any more.
    auto sysExDone = std::make_shared<std::atomic<bool>>(false);
    const platform::MidiOutError sent =
        device->longMsg(*message, [sysExDone] { sysExDone->store(true); });
    result.add("send System Exclusive", sent);
    if (sent == platform::MidiOutError::None) {
        const auto limit = sysExWaitLimit(message->size());
        const platform::Nanos start = clock_.now();
        while (!sysExDone->load()) {
            if (clock_.now() - start >= limit) {
                qCWarning(lcEngine)
                    << "MIDI output" << device_ << "did not report the message done; going on";
                break;
            }
            interaction_.processEvents();
            std::this_thread::yield();
        }
    }
    result.add("reset MIDI output", device->reset());
}

SmfInfo Engine::readSmfInfo(const QString& file, bool measure, CallResult& result) {
    if (measure && lastCommand_ != kSessionClosed) {
        closeSession(result);
    }
    SmfInfo info = readSmfFile(file);
    if (info.errorCode == kSmfOk && measure) {
        info.playTime = measurePlayTime(sequencer_, file, result, loops_);
    }
    return info;
}

std::int16_t Engine::loadSmfInfo() {
    CallResult result;
    const SmfInfo info = readSmfInfo(fileName_, true, result);
    finish(result);
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
    // Without measuring, no call is made that could leave a result.
    CallResult unused;
    const SmfInfo info = readSmfInfo(file, false, unused);
    return info.errorCode == kSmfOk ? info.title : QString();
}

}  // namespace vesk::engine
