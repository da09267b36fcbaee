#include <gtest/gtest.h>

#include "engine/engine.h"
#include "support/fake_sequencer.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk::engine {
namespace {

using Commands = std::vector<std::string>;
using test::meta;
using test::smfHeader;
using test::track;

struct HeaderFile : ::testing::Test {
    vesk::test::TempDir dir;
    test::FakeSequencer seq;
    platform::RecordingMidiOutputService out;
    platform::RecordingInteraction ui;
    Engine engine{seq, out, ui};
    QString song =
        dir.write("song.mid", smfHeader(1, 2, 480) + track(meta(3, "First") + meta(2, "(C) A")) +
                                  track(meta(3, "Second")));
};

TEST_F(HeaderFile, SettingFileNameClosesTheSessionAndMeasuresTheLength) {
    engine.midiPlay();
    seq.clear();
    seq.answers["status DataOnly length"] = {0, "83456"};
    seq.answers["close DataOnly"] = {9, ""};
    engine.setFileName(song);
    const std::string path = song.toStdString();
    EXPECT_EQ(seq.commands,
              (Commands{"stop Tavorin", "close Tavorin", "open \"" + path + "\" alias DataOnly",
                        "set DataOnly time format milliseconds", "status DataOnly length",
                        "close DataOnly"}));
    EXPECT_EQ(seq.replyLengths[4], 16);
    EXPECT_EQ(engine.lastCommand(), kSessionClosed);
    EXPECT_EQ(engine.lastResult(), 9);
    EXPECT_EQ(engine.playTime(), 83456);
    EXPECT_EQ(engine.title(), "First");
    EXPECT_EQ(engine.copyright(), "(C) A");
    EXPECT_EQ(engine.tracks(), 2);
    EXPECT_TRUE(ui.shown.empty());

    seq.answers["status DataOnly length"] = {263, "12"};
    engine.setFileName(song);
    EXPECT_EQ(engine.playTime(), 0);
}

TEST_F(HeaderFile, FailedReadsShowAMessageAndKeepThePreviousSong) {
    engine.setFileName(song);
    const QString broken = dir.write("broken.mid", "RIFF but no header");
    // The header starts within the first kilobyte but ends behind it.
    const QString late = dir.write("late.mid", QByteArray(1020, '\0') + smfHeader(0, 1, 96));
    struct Case {
        QString path;
        const char* message;
    } cases[] = {
        {dir.file("missing.mid"), "指定されたﾌｧｲﾙが見つかりません"},
        {dir.path(), "指定されたﾌｧｲﾙが見つかりません"},
        {broken, "ﾍｯﾀﾞの読み込みに失敗しました。ﾌｧｲﾙは壊れている可能性があります。"},
        {late, "ﾍｯﾀﾞの読み込みに失敗しました。ﾌｧｲﾙは壊れている可能性があります。"},
    };
    for (const Case& c : cases) {
        ui.shown.clear();
        engine.midiPlay();
        seq.clear();
        engine.setFileName(c.path);
        EXPECT_EQ(engine.fileName(), c.path);
        EXPECT_EQ(engine.title(), "First");
        EXPECT_EQ(engine.format(), 1);
        EXPECT_EQ(seq.commands, (Commands{"stop Tavorin", "close Tavorin"}))
            << c.path.toStdString();
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(ui.shown[0].icon, platform::MessageIcon::Critical);
        EXPECT_EQ(ui.shown[0].caption, "VESK MIDI PLAYER");
        EXPECT_EQ(engine.getMidiTitle(c.path), "");
    }
}

TEST_F(HeaderFile, OnlyTheFirstKilobyteIsScanned) {
    const QByteArray filler = meta(0x7F, QByteArray(250, 'x')).repeated(4);
    const QString path =
        dir.write("long-intro.mid", smfHeader(0, 1, 96) + track(filler + meta(3, "Too late")));
    EXPECT_EQ(engine.getMidiTitle(path), "long-intro");
}

TEST_F(HeaderFile, GetMidiTitleLeavesTheEngineAlone) {
    engine.midiPlay();
    seq.clear();
    seq.answers["play Tavorin"] = {3, ""};
    engine.midiPlay();
    EXPECT_EQ(engine.getMidiTitle(song), "First");
    EXPECT_EQ(engine.getMidiTitle(dir.file("none.mid")), "");
    EXPECT_EQ(seq.commands.size(), 1u);
    EXPECT_EQ(engine.lastResult(), 3);
    EXPECT_EQ(engine.lastCommand(), kSessionPlaying);
    EXPECT_EQ(engine.title(), "");
    EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace vesk::engine
