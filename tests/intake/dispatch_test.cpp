#include "intake/intake_fixture.h"
#include "support/archive_builder.h"

namespace vesk::test {
namespace {

using intake::SongEntry;
using platform::MessageIcon;

TEST_F(IntakeTest, MidiAndRmiInAnyLetterCaseBecomeEntriesWithTheirFolder) {
    songs.write(QStringLiteral("One.Mid"), smallSong("First song"));
    songs.write(QStringLiteral("TWO.RMI"), smallSong("Second"));
    auto in = intake();

    auto one = in.addFiles(songs.file(QStringLiteral("One.Mid")));
    auto two = in.addFiles(songs.file(QStringLiteral("TWO.RMI")));

    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0],
              (SongEntry{QStringLiteral("One.Mid"), songs.path(), QStringLiteral("First song")}));
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0].title, QStringLiteral("Second"));
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_EQ(reporter.shown.size(), 2u);
    EXPECT_EQ(reporter.eventRuns, 2);
}

TEST_F(IntakeTest, UnreadableMidiStillBecomesAnEntryWithAnEmptyTitle) {
    const QString broken = songs.write(QStringLiteral("broken.mid"), "not a song");
    auto entries = intake().addFiles(broken);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QStringLiteral("broken.mid"));
    EXPECT_TRUE(entries[0].title.isEmpty());
    auto missing = intake().addFiles(songs.file(QStringLiteral("gone.mid")));
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(IntakeTest, MultiSelectionSkipsRecomposerFilesWithoutTheConverter) {
    songs.write(QStringLiteral("a.mid"), smallSong("A"));
    songs.write(QStringLiteral("b.rcp"), "RCM-PC98V2.0(C)COME ON MUSIC");
    songs.write(QStringLiteral("c.mid"), smallSong("C"));
    module.haveRcpConverter = false;
    const QString selection = songs.path() + QChar(0) + QStringLiteral("a.mid") + QChar(0) +
                              QStringLiteral("b.rcp") + QChar(0) + QStringLiteral("c.mid");

    auto entries = intake().addFiles(selection);

    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (SongEntry{QStringLiteral("a.mid"), songs.path(), QStringLiteral("A")}));
    EXPECT_EQ(entries[1].name, QStringLiteral("c.mid"));
    EXPECT_EQ(entries[1].container, songs.path());
    EXPECT_TRUE(reporter.messages.empty());
}

// Files that add nothing, each with one message naming what is wrong; archives without
// their reader leave the work folder empty.
TEST_F(IntakeTest, FilesThatCannotBeTakenSayWhyAndAddNothing) {
    module.haveRcpConverter = true;
    const QString midi = songs.write(QStringLiteral("long.midi"), smallSong("x"));
    struct Case {
        QString path;
        QString text;
        MessageIcon icon;
    };
    std::vector<Case> cases{
        {midi, u'"' + midi + QStringLiteral("\"\r\nVESK MIDIはこのﾌｧｲﾙ形式に対応していません。"),
         MessageIcon::Critical},
        {songs.write(QStringLiteral("bad.R36"), "definitely not a Recomposer song"),
         QStringLiteral("ﾚｺﾝﾎﾟｰｻﾞﾌｧｲﾙのコンバートに失敗しました"), MessageIcon::Critical},
        {songs.write(QStringLiteral("a.Lzh"), buildLzh({file("x.mid", smallSong("X"))}, 0)),
         QString::fromUtf8(intake::NeedLzhText), MessageIcon::Information},
        {songs.write(QStringLiteral("b.ZIP"), buildZip({file("x.mid", smallSong("X"))})),
         QString::fromUtf8(intake::NeedZipText), MessageIcon::Information},
        {songs.write(QStringLiteral("c.rar"), buildRar4({file("x.mid", smallSong("X"))})),
         QString::fromUtf8(intake::NeedRarText), MessageIcon::Information},
    };
    module.haveLzhReader = module.haveZipReader = module.haveRarReader = false;
    settings.useLhasa = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        reporter.messages.clear();
        EXPECT_TRUE(intake().addFiles(c.path).empty());
        ASSERT_EQ(reporter.messages.size(), 1u);
        EXPECT_EQ(reporter.messages[0].text, c.text);
        EXPECT_EQ(reporter.messages[0].icon, c.icon);
        EXPECT_TRUE(reporter.messages[0].caption.isEmpty());
    }
    EXPECT_TRUE(reporter.shown.empty());
    EXPECT_TRUE(workContents().isEmpty());
}

}  // namespace
}  // namespace vesk::test
