#include <gtest/gtest.h>

#include "engine/engine_rig.h"
#include "support/fake_sequencer.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk::engine {
namespace {

using test::meta;
using test::smfHeader;
using test::track;

struct HeaderFile : test::EngineRig {
    HeaderFile() {
        // Two tracks with titles; a note of a quarter at 120 per minute: 500 ms.
        vesk::test::Track first;
        first.meta(0, 3, "First").meta(0, 2, "(C) A").at(0, {0x90, 60, 100}).at(96, {0x80, 60, 0});
        vesk::test::Track second;
        second.meta(0, 3, "Second");
        song = write(QStringLiteral("song.mid"), {first.end(), second.end()});
    }
    QString song;
};

TEST_F(HeaderFile, SettingFileNameClosesTheSessionAndMeasuresTheLength) {
    engine.midiPlay();
    EXPECT_TRUE(engine.setFileName(song));
    EXPECT_EQ(engine.status(), "");
    EXPECT_EQ(engine.lastCommand(), kSessionClosed);
    EXPECT_EQ(out.openDevices(), 0);
    EXPECT_EQ(engine.playTime(), 500);
    EXPECT_EQ(engine.title(), "First");
    EXPECT_EQ(engine.copyright(), "(C) A");
    EXPECT_EQ(engine.tracks(), 2);
    EXPECT_EQ(engine.division(), 96);
    EXPECT_TRUE(ui.shown.empty());
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
        SCOPED_TRACE(c.path.toStdString());
        ui.shown.clear();
        engine.midiPlay();
        EXPECT_FALSE(engine.setFileName(c.path));
        EXPECT_EQ(engine.status(), "") << "the session is closed all the same";
        EXPECT_EQ(engine.fileName(), c.path);
        EXPECT_EQ(engine.title(), "First");
        EXPECT_EQ(engine.format(), 1);
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
    engine.setFileName(song);
    engine.midiPlay();
    vesk::test::Track other;
    EXPECT_EQ(engine.getMidiTitle(write("other.mid", {other.meta(0, 3, "Other").end()})), "Other");
    EXPECT_EQ(engine.getMidiTitle(dir.file("none.mid")), "");
    EXPECT_EQ(engine.status(), "playing");
    EXPECT_EQ(engine.lastResult(), 0);
    EXPECT_EQ(engine.lastCommand(), kSessionPlaying);
    EXPECT_EQ(engine.title(), "First");
    EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace vesk::engine
