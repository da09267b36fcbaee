#include <gtest/gtest.h>

#include <thread>

#include "engine/engine.h"
#include "engine/hex_bytes.h"
#include "support/fake_sequencer.h"
#include "support/recording_midi_output.h"

namespace vesk::engine {
namespace {

using platform::MidiOutError;
using Bytes = std::vector<std::uint8_t>;
using Log = std::vector<std::string>;

TEST(HexBytes, ReadsSpaceSeparatedHexInEitherCase) {
    EXPECT_EQ(parseHexBytes("F0 7E 7F 09 01 F7"), (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(parseHexBytes("f0 41 10 42 12 40 00 7f 00 41 f7"),
              parseHexBytes("F0 41 10 42 12 40 00 7F 00 41 F7"));
    EXPECT_EQ(parseHexBytes("F0 F7"), (Bytes{0xF0, 0xF7}));
    EXPECT_EQ(parseHexBytes("0 00F0"), (Bytes{0x00, 0xF0}));
    for (const char* refused :
         {"", " ", "F0  F7", " F0 F7", "F0 F7 ", "F0 100", "F0 G7", "F0\tF7", "-1", "0x10"}) {
        EXPECT_FALSE(parseHexBytes(QString::fromUtf8(refused))) << refused;
    }
    EXPECT_FALSE(parseHexBytes(QStringLiteral("Ｆ０ F7")));
}

// A clock that moves only when the engine lets window events run.
struct SteppingInteraction final : platform::UserInteraction, platform::Clock {
    platform::MessageAnswer showMessage(const QString&, platform::MessageIcon,
                                        platform::MessageButtons, const QString&) override {
        return platform::MessageAnswer::Ok;
    }
    void processEvents() override {
        log.push_back("events");
        time += std::chrono::milliseconds(100);
        if (++runs == completeAfter && done) {
            std::thread(done).join();  // the notice comes from the output service's thread
        }
        if (runs == 100000) {
            ADD_FAILURE() << "the wait does not end";
            done();
        }
    }
    platform::Nanos now() const override { return time; }

    Log log;
    platform::Nanos time{0};
    int runs = 0;
    int completeAfter = -1;
    std::function<void()> done;
};

struct LoggingOutput final : platform::MidiOutputService {
    struct Device final : platform::MidiOutDevice {
        explicit Device(LoggingOutput& o) : owner(o) {}
        ~Device() override { owner.ui.log.push_back("close"); }
        void send(std::span<const std::uint8_t>, platform::Nanos, platform::MidiPort) override {}
        platform::MidiOutError longMsg(std::span<const std::uint8_t> message,
                                       std::function<void()> done) override {
            owner.ui.log.push_back("send " + std::to_string(message.size()));
            owner.ui.done = std::move(done);
            return platform::MidiOutError::None;
        }
        platform::MidiOutError reset() override {
            owner.ui.log.push_back("reset");
            return platform::MidiOutError::None;
        }
        LoggingOutput& owner;
    };
    explicit LoggingOutput(SteppingInteraction& i) : ui(i) {}
    int deviceCount() override { return 1; }
    QString deviceName(int) override { return {}; }
    platform::MidiOutError open(int device,
                                std::unique_ptr<platform::MidiOutDevice>& out) override {
        ui.log.push_back("open " + std::to_string(device));
        out = std::make_unique<Device>(*this);
        return platform::MidiOutError::None;
    }
    SteppingInteraction& ui;
};

struct SendExLogged : ::testing::Test {
    test::FakeSequencer seq;
    SteppingInteraction ui;
    LoggingOutput out{ui};
    Engine engine{seq, out, ui, "VESK MIDI PLAYER", ui};
};

TEST_F(SendExLogged, WaitsForTheCompletionNoticeBetweenSendAndReset) {
    ui.completeAfter = 3;
    engine.sendEx("F0 7E 7F 09 01 F7");
    EXPECT_EQ(ui.log, (Log{"open -1", "send 6", "events", "events", "events", "reset", "close"}));
}

TEST_F(SendExLogged, GivesUpWaitingAfterTheTimeLimit) {
    engine.sendEx("F0 F7");
    EXPECT_GE(ui.time, Engine::sysExWaitLimit(2));
    EXPECT_LT(ui.time, Engine::sysExWaitLimit(2) + std::chrono::milliseconds(200));
    EXPECT_EQ(Log(ui.log.end() - 2, ui.log.end()), (Log{"reset", "close"}));
}

struct SendExRecorded : ::testing::Test {
    test::FakeSequencer seq;
    platform::RecordingMidiOutputService out{2};
    platform::RecordingInteraction ui;
    Engine engine{seq, out, ui};
};

TEST_F(SendExRecorded, ClosesAPlayingSessionThenSendsOneLongMessage) {
    engine.setDevice(1);
    engine.midiPlay();
    engine.sendEx("f0 41 10 42 12 40 00 7f 00 41 f7");
    EXPECT_EQ(engine.lastCommand(), kSessionClosed);
    const auto sent = out.messages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(sent[0].longMessage);
    EXPECT_EQ(sent[0].device, 1);
    EXPECT_EQ(sent[0].bytes,
              (Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}));
    EXPECT_TRUE(sent[1].reset);
    EXPECT_EQ(out.openDevices(), 0);
}

TEST_F(SendExRecorded, RefusedTextsAndFailuresSendNothing) {
    engine.midiPlay();
    engine.sendEx("");
    EXPECT_EQ(engine.lastCommand(), kSessionPlaying);
    EXPECT_EQ(out.openCount(), 0);

    engine.sendEx("F0 7E  F7");
    EXPECT_EQ(out.openCount(), 1);
    EXPECT_EQ(out.openDevices(), 0);
    EXPECT_TRUE(out.messages().empty());

    out.setOpenResult(MidiOutError::Busy);
    engine.sendEx("F0 F7");
    EXPECT_EQ(engine.lastResult(), deviceCode(MidiOutError::Busy));
    EXPECT_EQ(out.openCount(), 1);
}

TEST_F(SendExRecorded, TheFirstFailureIsWhatTheCallerReads) {
    // A refused message: the reset after it succeeds, yet the refusal is what is reported.
    out.setLongMsgResult(MidiOutError::BadMessage);
    engine.sendEx("F0 F7");
    EXPECT_EQ(ui.eventRuns, 0);
    ASSERT_EQ(out.messages().size(), 1u);
    EXPECT_TRUE(out.messages()[0].reset);
    EXPECT_EQ(out.openDevices(), 0);
    EXPECT_EQ(engine.lastResult(), deviceCode(MidiOutError::BadMessage));
    EXPECT_EQ(engine.lastResultMessage(), errorMessage(MidiOutError::BadMessage));

    // A reset that fails after a good send.
    out.setLongMsgResult(MidiOutError::None);
    out.setResetResult(MidiOutError::Busy);
    engine.sendEx("F0 F7");
    EXPECT_EQ(engine.lastResult(), deviceCode(MidiOutError::Busy));

    // Closing the session failed first; the device calls after it cannot hide that.
    out.setResetResult(MidiOutError::None);
    engine.midiPlay();
    seq.answers["close Tavorin"] = {263, ""};
    engine.sendEx("F0 F7");
    EXPECT_EQ(engine.lastResult(), 263);
    EXPECT_TRUE(out.messages().back().reset);

    engine.sendEx("F0 F7");
    EXPECT_EQ(engine.lastResult(), 0);
    EXPECT_TRUE(engine.lastResultMessage().isEmpty());
}

}  // namespace
}  // namespace vesk::engine
