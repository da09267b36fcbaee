#include <gtest/gtest.h>

#include <QRegularExpression>

#include "intake/archive_extract.h"
#include "player_rig.h"

namespace vesk::player::test {
namespace {

TEST(PlayEntryTest, LoadsInOrderAndShowsTheSong) {
    PlayerRig rig;
    for (int i = 0; i < 12; ++i) {
        rig.addSong(QString("s%1.mid").arg(i), i == 3 ? "Song" : "x");
    }
    rig.player->playEntry(-1);  // outside the list: nothing at all
    rig.player->playEntry(12);
    EXPECT_TRUE(rig.log.commands.isEmpty());
    EXPECT_TRUE(rig.view.calls.isEmpty());
    rig.player->setInfoShown(true);
    rig.player->playEntry(3);
    EXPECT_EQ(rig.view.named("caption").last(),
              QStringLiteral("[004/012] Song - VESK MIDI PLAYER"));
    EXPECT_EQ(rig.view.info.file, QStringLiteral("ファイル名  s3.mid"));
    EXPECT_EQ(rig.view.info.format, QStringLiteral("SMFﾌｫｰﾏｯﾄ  0"));
    EXPECT_EQ(rig.view.info.archive, QStringLiteral("書庫名  ") + rig.dir.path() + "/songs");
    EXPECT_EQ(rig.player->mainWindow().totalText, QStringLiteral("00:01"));
    // The previous song is closed first; the song starts last, after its reset and port.
    const QStringList session =
        rig.log.commands.filter(QRegularExpression("^(close Tavorin|set Tavorin port|play)"));
    EXPECT_EQ(session.first(), QStringLiteral("close Tavorin"));
    EXPECT_EQ(session.last(), QStringLiteral("play Tavorin"));
    EXPECT_EQ(session[session.size() - 2], QStringLiteral("set Tavorin port -1"));
    EXPECT_EQ(rig.view.calls.filter(QRegularExpression("^(select|device|status):")),
              QStringList({"select:3", "device:0", "status:PLAY"}));
}

TEST(PlayEntryTest, AMissingFileShowsNothingPlayingWithoutAMessage) {
    PlayerRig rig;
    rig.addSong("a.mid", "A");
    rig.player->state().playList.push_back({"gone.mid", rig.dir.path() + "/songs", "Gone"});
    rig.player->state().playList.push_back({"m.mid", rig.dir.path() + "/gone.lzh", "Member"});
    rig.player->repeatCommand(2);
    rig.player->doubleSpeedCommand();
    rig.player->playEntry(0);
    for (std::int16_t index : {1, 2}) {
        rig.view.calls.clear();
        rig.player->playEntry(index);
        EXPECT_EQ(rig.player->state().currentEntry, index);
        EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
        EXPECT_FALSE(rig.player->state().playRequested);
        // The song left behind shows nothing of itself: no time, no PLAY, no pause.
        EXPECT_EQ(rig.view.named("status"), QStringList({"STOP"}));
        EXPECT_EQ(rig.view.named("total"), QStringList({"00:00"}));
        EXPECT_FALSE(rig.player->mainWindow().canPause);
    }
    EXPECT_EQ(rig.view.named("title").last(), "Member");
    EXPECT_EQ(rig.resets().size(), 1);
    EXPECT_TRUE(rig.interaction.shown.empty());
    // Nothing plays, so the loop waits for the user.
    rig.run(5000);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionClosed);
    EXPECT_EQ(rig.engine.status(), QString());
    EXPECT_EQ(rig.resets().size(), 1);
}

TEST(PlayEntryTest, TheLastDocumentFoundWinsAndOpensThroughTheDesktop) {
    QStringList opened;
    PlayerServices services;
    services.openDocument = [&](const QString& path, const QString& folder) {
        opened << path << folder;
    };
    PlayerRig rig(services);
    rig.addSong("song.mid", "S");
    const QString songs = rig.dir.path() + "/songs/";
    const auto documentOpened = [&] {
        opened.clear();
        rig.player->playEntry(0);
        rig.player->openDocument();
        return opened.value(0);
    };
    EXPECT_EQ(documentOpened(), QString());
    EXPECT_FALSE(rig.player->mainWindow().hasDocument);
    rig.dir.write("songs/README.DOC", "doc");
    EXPECT_EQ(documentOpened(), songs + "README.DOC");
    rig.dir.write("songs/readme.txt", "txt");
    EXPECT_EQ(documentOpened(), songs + "readme.txt");
    rig.dir.write("songs/song.txt", "txt");
    rig.dir.write("songs/song.doc", "doc");
    EXPECT_EQ(documentOpened(), songs + "song.txt");
    EXPECT_TRUE(rig.player->mainWindow().hasDocument);
    EXPECT_EQ(opened, QStringList({songs + "song.txt", rig.module.programFolder}));
}

TEST(PlayEntryTest, RecomposerSongsPlayFromTheWorkFolderWithItsDocuments) {
    QStringList converted;
    PlayerServices services;
    PlayerRig* rigPtr = nullptr;
    services.preparation.convertRcp = [&](const QString& path) -> QString {
        converted << path;
        if (path.endsWith("bad.rcp")) {
            return {};
        }
        rigPtr->dir.write("work/tune.mid", songBytes("Converted", 1000));
        rigPtr->dir.write("work/tune.txt", "for YAMAHA MU");
        return QStringLiteral("tune.mid");
    };
    PlayerRig rig(services);
    rigPtr = &rig;
    const QString folder = rig.dir.path() + "/d";
    rig.dir.write("d/tune.rcp", "RCM-PC98V2.0(C)COME ON MUSIC");
    rig.dir.write("d/readme.txt", "not this one");
    rig.dir.write("d/bad.rcp", "broken");
    rig.player->state().playList = {{"tune.rcp", folder, "Tune"}, {"bad.rcp", folder, "Bad"}};
    rig.settings.deviceSlots[1].keywords = "YAMAHA";
    rig.player->autoDeviceCommand();
    rig.player->playEntry(0);
    EXPECT_EQ(converted, QStringList({folder + "/tune.rcp"}));
    EXPECT_EQ(rig.engine.fileName(), rig.module.workFolder + "tune.mid");
    EXPECT_EQ(rig.player->state().documentPath, rig.module.workFolder + "tune.txt");
    EXPECT_EQ(rig.player->state().slotInUse, 1);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);

    // A failed conversion leaves the work folder itself as the file: reported, not played.
    rig.player->playEntry(1);
    EXPECT_EQ(rig.engine.fileName(), rig.module.workFolder);
    EXPECT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_NE(rig.engine.status(), QStringLiteral("playing"));
}

TEST(PlayEntryTest, ArchiveMembersAreExtractedWhenAReaderIsThereAndPlayFromTheirFolder) {
    QStringList calls;
    PlayerServices services;
    services.preparation.extract = [&](const QString& archive, const QString& member, quintptr) {
        calls << archive + "|" + member;
    };
    PlayerRig rig(services);
    const QString lzh = rig.dir.write("a.lzh", "lzh");
    const QString zip = rig.dir.write("b.ZIP", "zip");
    const QString rar = rig.dir.write("c.rar", "rar");
    const QString lzhFolder = intake::archiveFolder(rig.module.workFolder, lzh);
    rig.dir.write(lzhFolder.mid(rig.dir.path().size() + 1) + "m.mid", songBytes("Member", 1000));
    rig.player->state().playList = {{"m.mid", lzh, "L"}, {"m.mid", zip, "Z"}, {"m.mid", rar, "R"}};
    rig.player->playEntry(0);  // no reader at all: the member is taken as it is
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(rig.engine.fileName(), lzhFolder + "m.mid");
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    rig.settings.useLhasa = true;
    rig.player->playEntry(1);
    EXPECT_EQ(calls, QStringList({zip + "|m.mid"}));
    rig.player->playEntry(2);
    EXPECT_EQ(calls.size(), 1);
    rig.module.haveRarReader = true;
    rig.settings.useLhasa = false;
    rig.module.haveLzhReader = true;
    rig.player->playEntry(2);
    rig.player->playEntry(0);
    EXPECT_EQ(calls.mid(1), QStringList({rar + "|m.mid", lzh + "|m.mid"}));
}

}  // namespace
}  // namespace vesk::player::test
