#include "platform/midi_out/system_midi_output.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <QFileInfo>

#include "platform/midi_out/synth_fixture.h"
#include "support/temp_dir.h"

namespace vesk::platform::midiout {
namespace {

// Ports as a test wants them; opening one records which.
class FakePorts final : public MidiPortBackend {
  public:
    explicit FakePorts(std::vector<QString> names, std::vector<int>* opened)
        : names_(std::move(names)), opened_(opened) {}
    std::vector<QString> portNames() override { return names_; }
    MidiOutError openPort(int index, std::unique_ptr<MidiOutDevice>&) override {
        opened_->push_back(index);
        return MidiOutError::Failed;
    }

  private:
    std::vector<QString> names_;
    std::vector<int>* opened_;
};

MidiOutputOptions smallSynth() {
    MidiOutputOptions options;
    options.soundFont = test::smallSoundFont();
    return options;
}

bool hasSoundOutput() {
    return QFileInfo(QStringLiteral("/dev/snd")).exists() ||
           qEnvironmentVariableIsSet("PULSE_SERVER") ||
           QFileInfo(QStringLiteral("/run/user/%1/pulse/native").arg(getuid())).exists();
}

TEST(SystemMidiOutput, WithoutAlsaOnlyTheSynthesizerIsListed) {
    if (QFileInfo(QStringLiteral("/dev/snd/seq")).exists()) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    SystemMidiOutputService service(smallSynth());
    EXPECT_EQ(service.deviceCount(), 1);
    EXPECT_EQ(service.deviceName(0), synthesizerName());
    EXPECT_EQ(service.deviceName(-1), defaultOutputName());
    EXPECT_EQ(service.deviceName(1), QString());
    EXPECT_EQ(service.deviceName(-2), QString());
}

TEST(SystemMidiOutput, SynthesizerNamesDoNotTriggerTheResetTypeRule) {
    // The options dialog picks GS or XG for names containing these words.
    for (const QString& name : {synthesizerName(), defaultOutputName()}) {
        for (const char* word : {"Roland", "GS", "SC", "YAMAHA", "MU", "XG"}) {
            EXPECT_FALSE(name.contains(QLatin1String(word))) << name.toStdString() << " " << word;
        }
    }
}

TEST(SystemMidiOutput, PortsFollowTheSynthesizerInNumbering) {
    std::vector<int> opened;
    SystemMidiOutputService service(
        smallSynth(), nullptr,
        std::make_unique<FakePorts>(
            std::vector<QString>{QStringLiteral("Roland SC-88"), QStringLiteral("YAMAHA MU128")},
            &opened));
    EXPECT_EQ(service.deviceCount(), 3);
    EXPECT_EQ(service.deviceName(1), QStringLiteral("Roland SC-88"));
    EXPECT_EQ(service.deviceName(2), QStringLiteral("YAMAHA MU128"));
    EXPECT_EQ(service.deviceName(3), QString());
    std::unique_ptr<MidiOutDevice> out;
    EXPECT_EQ(service.open(2, out), MidiOutError::Failed);
    EXPECT_EQ(opened, std::vector<int>{1});
    EXPECT_FALSE(service.lastError().isEmpty());
}

TEST(SystemMidiOutput, DeviceNumbersOutOfRangeFail) {
    std::vector<int> opened;
    SystemMidiOutputService service(smallSynth(), nullptr,
                                    std::make_unique<FakePorts>(std::vector<QString>{}, &opened));
    for (int device : {-2, -32768, 1, 5, 32767}) {
        std::unique_ptr<MidiOutDevice> out;
        EXPECT_EQ(service.open(device, out), MidiOutError::NoSuchDevice) << device;
        EXPECT_EQ(out, nullptr);
        EXPECT_TRUE(service.lastError().contains(QString::number(device)));
    }
    EXPECT_TRUE(opened.empty());
}

TEST(SystemMidiOutput, SynthesizerWithoutSoundOutputFailsCleanly) {
    if (hasSoundOutput()) {
        GTEST_SKIP() << "this machine can play sound";
    }
    SystemMidiOutputService service(smallSynth());
    QStringList notices;
    service.setNoSoundOutputNotice([&](const QString& text) { notices << text; });
    for (int device : {0, -1, 0}) {
        std::unique_ptr<MidiOutDevice> out;
        EXPECT_EQ(service.open(device, out), MidiOutError::NoSoundOutput) << device;
        EXPECT_EQ(out, nullptr);
        EXPECT_TRUE(service.lastError().contains(QStringLiteral("音声出力")));
    }
    // The user hears of it once, with the drivers that were tried.
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices.first().contains(QStringLiteral("pulseaudio")));
}

TEST(SystemMidiOutput, DriverChoicesAreWhatFluidSynthCanPlayThrough) {
    const QStringList offered = offeredAudioDrivers();
    // Debian's FluidSynth plays through PulseAudio; writing a file is no sound output.
    EXPECT_TRUE(offered.contains(QStringLiteral("pulseaudio")));
    EXPECT_FALSE(offered.contains(QStringLiteral("file")));
    // The ones tried automatically lead, in the order they are tried.
    QStringList automatic;
    for (const QString& name : automaticAudioDrivers()) {
        if (offered.contains(name)) {
            automatic << name;
        }
    }
    EXPECT_EQ(offered.mid(0, automatic.size()), automatic);
}

TEST(SystemMidiOutput, NamedDriverThatDoesNotExistFails) {
    MidiOutputOptions options = smallSynth();
    options.audio.driver = QStringLiteral("no-such-driver");
    SystemMidiOutputService service(options);
    std::unique_ptr<MidiOutDevice> out;
    EXPECT_EQ(service.open(0, out), MidiOutError::NoSoundOutput);
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(service.lastError().contains(QStringLiteral("no-such-driver")));
}

TEST(SystemMidiOutput, SoundFontThatDoesNotLoadIsReportedAndCanBeReplaced) {
    vesk::test::TempDir dir;
    MidiOutputOptions options;
    options.soundFont = dir.write(QStringLiteral("bad.sf2"), "not a soundfont");
    options.audio.driver = QStringLiteral("no-such-driver");
    SystemMidiOutputService service(options);
    EXPECT_EQ(service.prepareSynthesizer(), MidiOutError::Failed);
    EXPECT_TRUE(service.lastError().contains(options.soundFont));
    std::unique_ptr<MidiOutDevice> out;
    EXPECT_EQ(service.open(0, out), MidiOutError::Failed);
    EXPECT_TRUE(service.lastError().contains(options.soundFont));

    // With a good SoundFont the synthesizer loads, and only the sound output is missing.
    options.soundFont = test::smallSoundFont();
    service.setOptions(options);
    EXPECT_EQ(service.prepareSynthesizer(), MidiOutError::None);
    EXPECT_TRUE(service.lastError().isEmpty());
    EXPECT_EQ(service.open(0, out), MidiOutError::NoSoundOutput);
    EXPECT_TRUE(service.lastError().contains(QStringLiteral("no-such-driver")));
}

}  // namespace
}  // namespace vesk::platform::midiout
