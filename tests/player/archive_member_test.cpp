// Archive members played through the real extractor and intake.

#include <gtest/gtest.h>

#include <QFile>

#include "intake/archive_extract.h"
#include "intake/intake.h"
#include "player_rig.h"
#include "support/archive_builder.h"

namespace vesk::player::test {
namespace {

using vesk::test::buildLzh;
using vesk::test::buildZip;
using vesk::test::file;
using vesk::test::smallSong;

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Two archives holding a song of one name: each entry plays its own archive's song, and
// taking in the second archive while the first one's song plays leaves that file alone.
TEST(ArchiveMemberPlayTest, SongsOfOneNameInTwoArchivesEachPlayTheirOwn) {
    std::unique_ptr<intake::ArchiveExtractor> extractor;
    std::unique_ptr<intake::InteractionReporter> reporter;
    PlayerServices services;
    services.preparation.extract = [&](const QString& archive, const QString& member, quintptr) {
        extractor->extractListedMember(archive, member, *reporter);
    };
    PlayerRig rig(services);
    rig.module.haveZipReader = true;
    rig.module.haveLzhReader = true;
    extractor = std::make_unique<intake::ArchiveExtractor>(rig.module, rig.settings);
    reporter = std::make_unique<intake::InteractionReporter>(rig.interaction);
    const QByteArray songA = smallSong("From A");
    const QByteArray songB = smallSong("From B");
    const QString a = rig.dir.write("a.zip", buildZip({file("song.mid", songA)}));
    const QString b = rig.dir.write("b.lzh", buildLzh({file("song.mid", songB)}, 2));
    rig.player->state().playList = {{"song.mid", a, "A"}, {"song.mid", b, "B"}};

    rig.player->playEntry(0);
    const QString playedA = rig.engine.fileName();
    EXPECT_EQ(contents(playedA), songA);

    intake::Intake intake(rig.module, rig.settings, *extractor, *reporter);
    const auto entries = intake.addFiles(b);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, QStringLiteral("From B"));
    EXPECT_EQ(contents(playedA), songA) << "the song in play was overwritten or removed";

    rig.player->playEntry(1);
    EXPECT_EQ(contents(rig.engine.fileName()), songB);
    EXPECT_EQ(contents(playedA), songA);
    EXPECT_TRUE(rig.interaction.shown.empty());
}

}  // namespace
}  // namespace vesk::player::test
