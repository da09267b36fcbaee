// Entries remember the list or archive they came from.

#include "intake/intake_fixture.h"
#include "support/archive_builder.h"

namespace vesk::test {
namespace {

TEST_F(IntakeTest, EntriesRememberTheListOrArchiveTheyCameFrom) {
    const QString single = songs.write(QStringLiteral("single.mid"), smallSong("Single"));
    const QString zip =
        songs.write(QStringLiteral("pack.zip"), buildZip({file("inner.mid", smallSong("Inner"))}));
    const QString list = songs.write(
        QStringLiteral("evening.mlt"),
        (QStringLiteral("[MIDILIST]\n") + single + u'\n' + zip + QStringLiteral("/inner.mid\n"))
            .toUtf8());

    const auto alone = intake().addFiles(single);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_TRUE(alone[0].source.isEmpty());

    const auto members = intake().addFiles(zip);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].source, zip);

    const auto listed = intake().addFiles(list);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].source, list);
    EXPECT_EQ(listed[1].source, list);
    // The same song, whichever way it came in.
    EXPECT_EQ(listed[0], alone[0]);
    EXPECT_EQ(listed[1], members[0]);
}

}  // namespace
}  // namespace vesk::test
