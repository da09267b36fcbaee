#include <gtest/gtest.h>

#include <QRegularExpression>

#include "player_rig.h"

namespace vesk::player::test {
namespace {

TEST(PlayEntryTest, IndicesOutsideTheListChangeNothing) {
    PlayerRig rig;
    rig.addSong("a.mid", "A");
    rig.player->PlayEntry(-1);
    rig.player->PlayEntry(1);
    EXPECT_EQ(rig.player->state().PreviousEntry, -2);
    EXPECT_TRUE(rig.log.commands.isEmpty());
    EXPECT_TRUE(rig.view.calls.isEmpty());
}

TEST(PlayEntryTest, LoadsInOrderAndShowsTheSong) {
    PlayerRig rig;
    for (int i = 0; i < 12; ++i) {
        rig.addSong(QString("s%1.mid").arg(i), i == 3 ? "Song" : "x");
    }
    rig.player->setInfoShown(true);
    rig.player->PlayEntry(3);
    EXPECT_EQ(rig.view.named("caption").last(),
              QStringLiteral("[004/012] Song - VESK MIDI PLAYER"));
    EXPECT_EQ(rig.view.info.File, QStringLiteral("ファイル名  s3.mid"));
    EXPECT_EQ(rig.view.info.Smf, QStringLiteral("SMFﾌｫｰﾏｯﾄ  0"));
    EXPECT_EQ(rig.view.info.Div, QStringLiteral("分解能  480"));
    EXPECT_EQ(rig.view.info.Arch, QStringLiteral("書庫名  ") + rig.dir.path() + "/songs");
    EXPECT_EQ(rig.player->mainWindow().TotalText, QStringLiteral("00:01"));
    // The previous song is closed first; the song starts last, after its reset and port.
    const QStringList session =
        rig.log.commands.filter(QRegularExpression("^(close Tavorin|set Tavorin port|play)"));
    EXPECT_EQ(session.first(), QStringLiteral("close Tavorin"));
    EXPECT_EQ(session.last(), QStringLiteral("play Tavorin"));
    EXPECT_EQ(session[session.size() - 2], QStringLiteral("set Tavorin port -1"));
    EXPECT_EQ(rig.view.calls.filter(QRegularExpression("^(select|device|status):")),
              QStringList({"select:3", "device:0", "status:PLAY"}));
}

TEST(PlayEntryTest, AMissingFileEndsTheLoadSilentlyAfterClosingThePreviousSong) {
    PlayerRig rig;
    rig.addSong("a.mid", "A");
    rig.player->state().PlayList.push_back({"gone.mid", rig.dir.path() + "/songs", "Gone"});
    rig.player->state().PlayList.push_back({"m.mid", rig.dir.path() + "/gone.lzh", "Member"});
    rig.player->repeatCommand(2);
    rig.player->doubleSpeedCommand();
    rig.player->PlayEntry(0);
    const auto viewCalls = rig.view.calls.size();
    for (std::int16_t index : {1, 2}) {
        rig.player->PlayEntry(index);
        EXPECT_EQ(rig.player->state().CurrentEntry, index);
        EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionClosed);
        EXPECT_TRUE(rig.player->state().PlayRequested);
    }
    EXPECT_EQ(rig.player->state().PreviousEntry, 1);
    EXPECT_EQ(rig.view.calls.size(), viewCalls);
    EXPECT_EQ(rig.resets().size(), 1);
    EXPECT_TRUE(rig.interaction.shown.empty());
    // With no session nothing is reported stopped, so the loop waits for the user.
    rig.run(5000);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionClosed);
    EXPECT_EQ(rig.engine.Status(), QString());
    EXPECT_EQ(rig.loads(), 1);
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
    rig.player->PlayEntry(0);
    EXPECT_EQ(rig.player->state().DocumentPath, QString());
    EXPECT_FALSE(rig.player->mainWindow().HasDocument);
    rig.player->OpenDocument();
    EXPECT_TRUE(opened.isEmpty());

    rig.dir.write("songs/README.DOC", "doc");
    rig.player->PlayEntry(0);
    EXPECT_EQ(rig.player->state().DocumentPath, songs + "README.DOC");
    rig.dir.write("songs/readme.txt", "txt");
    rig.player->PlayEntry(0);
    EXPECT_EQ(rig.player->state().DocumentPath, songs + "readme.txt");
    rig.dir.write("songs/song.txt", "txt");
    rig.dir.write("songs/song.doc", "doc");
    rig.player->PlayEntry(0);
    EXPECT_EQ(rig.player->state().DocumentPath, songs + "song.txt");
    EXPECT_TRUE(rig.player->mainWindow().HasDocument);
    rig.player->OpenDocument();
    EXPECT_EQ(opened, QStringList({songs + "song.txt", rig.module.ProgramFolder}));
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
    rig.player->state().PlayList = {{"tune.rcp", folder, "Tune"}, {"bad.rcp", folder, "Bad"}};
    rig.settings.Slot[1].Key = "YAMAHA";
    rig.player->autoDeviceCommand();
    rig.player->PlayEntry(0);
    EXPECT_EQ(converted, QStringList({folder + "/tune.rcp"}));
    EXPECT_EQ(rig.engine.FileName(), rig.module.WorkFolder + "tune.mid");
    EXPECT_EQ(rig.player->state().DocumentPath, rig.module.WorkFolder + "tune.txt");
    EXPECT_EQ(rig.player->state().SlotInUse, 1);
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPlaying);

    // A failed conversion leaves the work folder itself as the file: reported, not played.
    rig.player->PlayEntry(1);
    EXPECT_EQ(rig.engine.FileName(), rig.module.WorkFolder);
    EXPECT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_NE(rig.engine.Status(), QStringLiteral("playing"));
}

TEST(PlayEntryTest, ArchiveMembersAreExtractedOnlyWhenTheyMustBe) {
    QStringList calls;
    QString lastLhasa;
    PlayerServices services;
    services.preparation.extract = [&](const QString& archive, const QString& member, quintptr) {
        calls << archive + "|" + member;
    };
    services.preparation.lastLhasaArchive = [&] { return lastLhasa; };
    PlayerRig rig(services);
    const QString lzh = rig.dir.write("a.lzh", "lzh");
    const QString zip = rig.dir.write("b.ZIP", "zip");
    const QString rar = rig.dir.write("c.rar", "rar");
    rig.dir.write("work/m.mid", songBytes("Member", 1000));
    rig.player->state().PlayList = {{"m.mid", lzh, "L"}, {"m.mid", zip, "Z"}, {"m.mid", rar, "R"}};
    rig.settings.UseLhasa = true;
    lastLhasa = lzh;
    rig.player->PlayEntry(0);  // the archiver program unpacked this archive last
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(rig.engine.FileName(), rig.module.WorkFolder + "m.mid");
    EXPECT_EQ(rig.engine.LastCommand(), engine::kSessionPlaying);
    rig.player->PlayEntry(1);
    EXPECT_EQ(calls, QStringList({zip + "|m.mid"}));
    rig.player->PlayEntry(2);
    EXPECT_EQ(calls.size(), 1);
    rig.module.HaveUnrar = true;
    rig.module.HaveUnlha32 = true;
    rig.player->PlayEntry(2);
    rig.player->PlayEntry(0);
    EXPECT_EQ(calls.mid(1), QStringList({rar + "|m.mid", lzh + "|m.mid"}));
}

}  // namespace
}  // namespace vesk::player::test
