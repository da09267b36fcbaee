#pragma once
// The player core on the real engine and sequencer, driven by a virtual clock, with a
// view that records what the core writes and songs written by the tests. The window tests
// build on it too.

#include <gtest/gtest.h>

#include <QDir>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "config/module_state.h"
#include "config/settings.h"
#include "engine/engine.h"
#include "platform/clock.h"
#include "platform/user_interaction.h"
#include "player/player.h"
#include "sequencer/sequencer_backend.h"
#include "sequencer/smf_builder.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk::player::test {

// Everything the core writes, in order, as "what:text" lines, and the list as shown.
class RecordingView final : public PlayerView {
  public:
    void openCommandLine(const QString& line) override {
        record("open", line);
        if (whileOpening) {
            whileOpening();
        }
    }
    void clearList() override { lines.clear(); }
    void appendLine(const QString& line) override {
        lines.append(line);
        record("append", line);
    }
    void setLine(int index, const QString& line) override {
        if (index < 0 || index >= lines.size()) {
            ADD_FAILURE() << "no line " << index;
            return;
        }
        lines[index] = line;
        record("line" + QString::number(index), line);
    }
    void removeLastLine() override {
        if (lines.isEmpty()) {
            ADD_FAILURE() << "no line to remove";
            return;
        }
        lines.removeLast();
    }
    void selectLine(int index) override { record("select", QString::number(index)); }
    void setCaption(const QString& caption) override { record("caption", caption); }
    void setStatusText(const QString& text) override { record("status", text); }
    void setNowText(const QString& text) override { record("now", text); }
    void setTotalText(const QString& text) override { record("total", text); }
    void setTitleText(const QString& text) override { record("title", text); }
    void setTitleLeft(int left) override { titleLeft = left; }
    int titleWidth() const override { return titleWidthValue; }
    int positionBarRange() const override { return barRange; }
    void setPositionBarWidth(int width) override { barWidth = width; }
    void setDeviceIndicator(int slot) override { record("device", QString::number(slot)); }
    void showRepeat(int mode, const RepeatIndicator& indicator) override {
        record("repeat", QString::number(mode) + "/" + indicator.repeat + "/" + indicator.noRepeat);
    }
    void showFileInfo(const FileInfoTexts& texts) override { info = texts; }
    void setBpmText(const QString& text) override { record("bpm", text); }
    void showTranspose(int semitones) override { record("transpose", QString::number(semitones)); }
    std::optional<QPoint> windowTopLeft() const override { return topLeft; }
    void followInfoWindow(bool top, bool left) override {
        record("follow", QString::number(top) + QString::number(left));
    }

    void record(const QString& what, const QString& text) { calls.append(what + ":" + text); }
    // Runs inside openCommandLine, as the events under a message box would.
    std::function<void()> whileOpening;
    QStringList named(const QString& what) const {
        QStringList out;
        for (const QString& c : calls) {
            if (c.startsWith(what + ":")) {
                out.append(c.mid(what.size() + 1));
            }
        }
        return out;
    }

    QStringList calls;
    QStringList lines;
    int titleLeft = kTitleStartLeft;
    int titleWidthValue = 100;
    int barRange = 1000;
    int barWidth = -1;
    std::optional<QPoint> topLeft;
    FileInfoTexts info;
};

// Passes commands on to the real sequencer and keeps them, for tests of their order.
class CommandLog final : public sequencer::CommandSequencer {
  public:
    explicit CommandLog(sequencer::CommandSequencer& inner) : inner_(inner) {}
    int sendString(std::string_view command, char* reply, int replyLength) override {
        commands.append(QString::fromUtf8(command.data(), static_cast<qsizetype>(command.size())));
        return inner_.sendString(command, reply, replyLength);
    }
    QStringList commands;

  private:
    sequencer::CommandSequencer& inner_;
};

// Gives the numbers it was told, then repeats the last one.
class ScriptedRandom final : public RandomSource {
  public:
    void seed() override { ++seeds; }
    double next() override {
        if (values.empty()) {
            return 0.0;
        }
        const double v = values[std::min(used, values.size() - 1)];
        ++used;
        return v;
    }
    std::vector<double> values;
    std::size_t used = 0;
    int seeds = 0;
};

// A one-track song: its title, a note, and its end after `lengthMs` at `bpm`; optionally a
// tempo change to `laterBpm` at `changeAtMs` of song time.
inline QByteArray songBytes(const QByteArray& title, int lengthMs = 4000, int bpm = 120,
                            int laterBpm = 0, int changeAtMs = 0) {
    using vesk::test::Track;
    constexpr int kDivision = 480;
    const auto ticksFor = [&](int ms, int tempo) {
        return static_cast<std::uint32_t>(std::int64_t{ms} * tempo * kDivision / 60000);
    };
    Track track;
    track.at(0, {0xFF, 0x03, static_cast<int>(title.size())});
    for (char c : title) {
        track.raw({static_cast<unsigned char>(c)});
    }
    track.tempo(0, 60000000u / static_cast<std::uint32_t>(bpm));
    track.at(0, {0x90, 60, 100});
    if (laterBpm > 0) {
        const std::uint32_t change = ticksFor(changeAtMs, bpm);
        track.tempo(change, 60000000u / static_cast<std::uint32_t>(laterBpm));
        track.at(ticksFor(lengthMs - changeAtMs, laterBpm), {0x80, 60, 0});
    } else {
        track.at(ticksFor(lengthMs, bpm), {0x80, 60, 0});
    }
    track.end();
    return vesk::test::toQByteArray(vesk::test::smf(0, kDivision, {track}));
}

struct PlayerRig {
    PlayerRig() : PlayerRig(PlayerServices{}) {}
    explicit PlayerRig(PlayerServices services)
        : backend(output, clock, sequencer::SequencerBackend::Drive::Manual),
          log(backend),
          engine(log, output, interaction, QStringLiteral("VESK MIDI PLAYER"), clock) {
        module.workFolder = dir.path() + "/work/";
        module.handoffFolder = module.workFolder + "FileNames";
        module.programFolder = dir.path() + "/program/";
        module.configPath = module.programFolder + "vmidi.ini";
        module.appVersion = "Ver 1.0";
        QDir().mkpath(module.handoffFolder);
        QDir().mkpath(module.programFolder);
        // Device A on the default output and device B on device 1, each with a reset.
        settings.deviceSlots[0] = config::DeviceSlot{QString(), "F0 7E 7F 09 01 F7", 0, -1};
        settings.deviceSlots[1] =
            config::DeviceSlot{"GS,SC,Roland", "F0 41 10 42 12 40 00 7F 00 41 F7", 1, 1};
        player = std::make_unique<Player>(engine, settings, module, interaction, random,
                                          std::move(services));
        player->attachView(view, WindowMode::Main);
    }

    // Writes a song into the test folder and appends its entry.
    QString addSong(const QString& name, const QByteArray& title, int lengthMs = 1000,
                    int bpm = 120, int laterBpm = 0, int changeAtMs = 0) {
        const QString path =
            dir.write("songs/" + name, songBytes(title, lengthMs, bpm, laterBpm, changeAtMs));
        player->state().playList.push_back(
            intake::SongEntry{name, dir.path() + "/songs", QString::fromUtf8(title)});
        return path;
    }

    // Runs the monitor every 250 ms of clock time for `ms`, playback in between.
    void run(int ms) {
        for (int t = 0; t < ms; t += 250) {
            clock.advance(std::chrono::milliseconds(250));
            backend.pump(clock.now());
            player->monitorTick(250);
        }
    }

    // The number of loads that got as far as the device reset.
    qsizetype loads() const { return view.named("title").count("Now Resetting..."); }

    // The long messages the output devices were sent, as "device:hex".
    QStringList resets() const {
        QStringList out;
        for (const auto& m : output.messages()) {
            if (m.longMessage) {
                QByteArray bytes(reinterpret_cast<const char*>(m.bytes.data()),
                                 static_cast<qsizetype>(m.bytes.size()));
                out.append(QString::number(m.device) + ":" +
                           QString::fromLatin1(bytes.toHex(' ').toUpper()));
            }
        }
        return out;
    }

    vesk::test::TempDir dir;
    platform::VirtualClock clock;
    platform::RecordingMidiOutputService output;
    sequencer::SequencerBackend backend;
    CommandLog log;
    platform::RecordingInteraction interaction;
    engine::Engine engine;
    config::Settings settings;
    config::ModuleState module;
    ScriptedRandom random;
    RecordingView view;
    std::unique_ptr<Player> player;
};

}  // namespace vesk::player::test
