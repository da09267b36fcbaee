#include "platform/midi_out/midi_ports.h"

#include <rtmidi/RtMidi.h>

#include <QFileInfo>
#include <array>
#include <bitset>
#include <mutex>
#include <string>

#include "platform/midi_out/midi_bytes.h"
#include "platform/midi_out/midi_out_log.h"
#include "platform/midi_out/reset_messages.h"

namespace vesk::platform::midiout {

namespace {

const char* const kClientName = "VESK MIDI PLAYER";

// Receives RtMidi's errors, which it would otherwise print or throw.
struct ErrorSink {
    bool failed = false;
    static void receive(RtMidiError::Type type, const std::string& text, void* data) {
        if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) {
            qCDebug(lcMidiOut) << "RtMidi:" << text.c_str();
            return;
        }
        qCWarning(lcMidiOut) << "RtMidi:" << text.c_str();
        static_cast<ErrorSink*>(data)->failed = true;
    }
};

// One ALSA sequencer client. RtMidi reports a failure to create it by printing and
// throwing before an error handler can be set, so the sequencer device is looked for first.
std::unique_ptr<RtMidiOut> makeClient(ErrorSink& sink) {
    if (!QFileInfo(QStringLiteral("/dev/snd/seq")).exists()) {
        return nullptr;
    }
    try {
        auto client = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
        client->setErrorCallback(&ErrorSink::receive, &sink);
        return client;
    } catch (const RtMidiError& e) {
        qCInfo(lcMidiOut) << "no MIDI ports:" << e.getMessage().c_str();
        return nullptr;
    }
}

class PortDevice final : public MidiOutDevice {
  public:
    PortDevice(std::unique_ptr<ErrorSink> sink, std::unique_ptr<RtMidiOut> out)
        : sink_(std::move(sink)), out_(std::move(out)) {}

    // Both ports of a song go to this one port: see MidiOutDevice::send.
    void send(std::span<const std::uint8_t> message, Nanos, MidiPort) override {
        if (!isCompleteMessage(message)) {
            qCDebug(lcMidiOut) << "ignored an incomplete message of" << message.size() << "bytes";
            return;
        }
        std::lock_guard lock(mutex_);
        track(message);
        out_->sendMessage(message.data(), message.size());
    }

    MidiOutError longMsg(std::span<const std::uint8_t> message,
                         std::function<void()> done) override {
        std::lock_guard lock(mutex_);
        sink_->failed = false;
        if (!splitMessages(message, [&](std::span<const std::uint8_t> part) {
                track(part);
                out_->sendMessage(part.data(), part.size());
            })) {
            return MidiOutError::BadMessage;
        }
        if (sink_->failed) {
            return MidiOutError::Failed;
        }
        if (done) {
            done();
        }
        return MidiOutError::None;
    }

    MidiOutError reset() override {
        std::lock_guard lock(mutex_);
        sink_->failed = false;
        for (int ch = 0; ch < 16; ++ch) {
            auto& notes = sounding_[static_cast<std::size_t>(ch)];
            for (int key = 0; key < 128; ++key) {
                if (notes.test(static_cast<std::size_t>(key))) {
                    std::array<std::uint8_t, 3> off{static_cast<std::uint8_t>(0x80 | ch),
                                                    static_cast<std::uint8_t>(key), 0};
                    out_->sendMessage(off.data(), off.size());
                }
            }
            notes.reset();
        }
        forEachSilencingMessage(1, [&](std::span<const std::uint8_t> m, MidiPort) {
            out_->sendMessage(m.data(), m.size());
        });
        return sink_->failed ? MidiOutError::Failed : MidiOutError::None;
    }

  private:
    void track(std::span<const std::uint8_t> m) {
        if (m.size() != 3) {
            return;
        }
        auto& notes = sounding_[m[0] & 0x0F];
        if ((m[0] & 0xF0) == 0x90 && m[2] != 0) {
            notes.set(m[1]);
        } else if ((m[0] & 0xF0) == 0x80 || (m[0] & 0xF0) == 0x90) {
            notes.reset(m[1]);
        }
    }

    std::mutex mutex_;
    std::unique_ptr<ErrorSink> sink_;
    std::unique_ptr<RtMidiOut> out_;
    std::array<std::bitset<128>, 16> sounding_{};
};

class AlsaPortBackend final : public MidiPortBackend {
  public:
    std::vector<QString> portNames() override {
        std::lock_guard lock(mutex_);
        std::vector<QString> names;
        if (!lister_) {
            lister_ = makeClient(sink_);
        }
        if (!lister_) {
            return names;
        }
        unsigned count = lister_->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            names.push_back(QString::fromStdString(lister_->getPortName(i)));
        }
        return names;
    }

    MidiOutError openPort(int index, std::unique_ptr<MidiOutDevice>& out) override {
        auto sink = std::make_unique<ErrorSink>();
        auto client = makeClient(*sink);
        if (!client) {
            return MidiOutError::NoSuchDevice;
        }
        if (index < 0 || static_cast<unsigned>(index) >= client->getPortCount()) {
            return MidiOutError::NoSuchDevice;
        }
        client->openPort(static_cast<unsigned>(index), kClientName);
        if (sink->failed || !client->isPortOpen()) {
            return MidiOutError::Failed;
        }
        out = std::make_unique<PortDevice>(std::move(sink), std::move(client));
        return MidiOutError::None;
    }

  private:
    std::mutex mutex_;
    ErrorSink sink_;
    std::unique_ptr<RtMidiOut> lister_;
};

}  // namespace

std::unique_ptr<MidiPortBackend> makeAlsaPortBackend() {
    return std::make_unique<AlsaPortBackend>();
}

}  // namespace vesk::platform::midiout
