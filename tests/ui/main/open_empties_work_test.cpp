// Opening a new selection empties the work folder of what earlier songs left there.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "intake/archive_extract.h"
#include "window_rig.h"

namespace vesk::ui::test {
namespace {

TEST(OpenEmptiesWorkFolder, ExtractedArchivesGoAndLinksInThemAreNotFollowed) {
    WindowRig rig;
    rig.open();
    const QString outside = rig.dir.write("keep/outside.mid", "keep me");
    const QString archive = rig.dir.write("songs/pack.zip", "zip");
    const QString folder = intake::archiveFolder(rig.module.workFolder, archive);
    const QString relative = folder.mid(rig.dir.path().size() + 1);
    rig.dir.write(relative + "song.mid", songBytes("Member"));
    rig.dir.write(relative + "set/deep.mid", songBytes("Deep"));
    ASSERT_TRUE(QFile::link(rig.dir.path() + "/keep", folder + "linked"));
    rig.dir.write("work/converted.mid", songBytes("Converted"));

    rig.openSongs(1);

    EXPECT_EQ(QDir(rig.module.workFolder)
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"FileNames"});
    EXPECT_EQ(vesk::test::readAll(outside), QByteArray("keep me"));
    EXPECT_EQ(rig.titles(), QStringList{"Song 1"});
}

}  // namespace
}  // namespace vesk::ui::test
