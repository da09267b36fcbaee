#include "app/tools/list_tool.h"
#include "intake/intake_fixture.h"
#include "support/archive_builder.h"

namespace vesk::test {
namespace {

TEST_F(IntakeTest, ListToolPrintsEntriesAndMessages) {
    songs.write(QStringLiteral("dir/a.mid"), smallSong("Tab\there"));
    songs.write(QStringLiteral("dir/b.mid"), smallSong("B"));
    const QString zip =
        songs.write(QStringLiteral("p.zip"), buildZip({file("z.mid", smallSong("曲"))}));
    const QString odd = songs.write(QStringLiteral("odd.wav"), "RIFF");
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);

    const int code = app::runListTool({songs.path() + QStringLiteral("/dir/"), zip, odd}, module,
                                      settings, outStream, errStream);

    const QString dir = songs.path() + QStringLiteral("/dir");
    EXPECT_EQ(out, dir + QStringLiteral("\ta.mid\tTab here\n") + dir +
                       QStringLiteral("\tb.mid\tB\n") + zip + QStringLiteral("\tz.mid\t曲\n"));
    EXPECT_EQ(err, u'"' + odd + QStringLiteral("\" VESK MIDIはこのﾌｧｲﾙ形式に対応していません。\n"));
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(workContents().isEmpty());
}

// Members left out of an archive make the listing incomplete: said, and the exit says so.
TEST_F(IntakeTest, ListToolFailsWhenMembersWereLeftOut) {
    const QString zip =
        songs.write(QStringLiteral("cut.zip"),
                    buildZip({file("../up.mid", smallSong("U")), file("ok.mid", smallSong("OK"))}));
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    EXPECT_EQ(app::runListTool({zip}, module, settings, outStream, errStream), 1);
    EXPECT_EQ(out, zip + QStringLiteral("\tok.mid\tOK\n"));
    EXPECT_TRUE(err.contains(QStringLiteral("cut.zip"))) << err.toStdString();
}

TEST_F(IntakeTest, ListToolNeedsAPathAndTakesRelativeOnes) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    EXPECT_EQ(app::runListTool({}, module, settings, outStream, errStream), 2);
    EXPECT_FALSE(err.isEmpty());

    songs.write(QStringLiteral("r.mid"), smallSong("R"));
    const QString here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(songs.path()));
    err.clear();
    const int code =
        app::runListTool({QStringLiteral("r.mid")}, module, settings, outStream, errStream);
    QDir::setCurrent(here);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, QDir(songs.path()).canonicalPath() + QStringLiteral("\tr.mid\tR\n"));
    EXPECT_TRUE(err.isEmpty());
}

}  // namespace
}  // namespace vesk::test
