#include "app/tools/list_tool.h"
#include "intake/intake_fixture.h"
#include "support/archive_builder.h"

namespace vesk::test {
namespace {

struct Listed {
    int code = 0;
    QString out;
    QString err;
};

Listed runList(const QStringList& args, const config::ModuleState& module,
               const config::Settings& settings) {
    Listed listed;
    QTextStream out(&listed.out);
    QTextStream err(&listed.err);
    listed.code = app::runListTool(args, module, settings, out, err);
    return listed;
}

TEST_F(IntakeTest, ListToolPrintsEntriesAndMessages) {
    songs.write(QStringLiteral("dir/a.mid"), smallSong("Tab\there"));
    songs.write(QStringLiteral("dir/b.mid"), smallSong("B"));
    const QString zip =
        songs.write(QStringLiteral("p.zip"), buildZip({file("z.mid", smallSong("曲"))}));
    const QString odd = songs.write(QStringLiteral("odd.wav"), "RIFF");

    const Listed listed =
        runList({songs.path() + QStringLiteral("/dir/"), zip, odd}, module, settings);

    const QString dir = songs.path() + QStringLiteral("/dir");
    EXPECT_EQ(listed.out, dir + QStringLiteral("\ta.mid\tTab here\n") + dir +
                              QStringLiteral("\tb.mid\tB\n") + zip +
                              QStringLiteral("\tz.mid\t曲\n"));
    EXPECT_EQ(listed.err,
              u'"' + odd + QStringLiteral("\" VESK MIDIはこのﾌｧｲﾙ形式に対応していません。\n"));
    EXPECT_EQ(listed.code, 1);
    EXPECT_TRUE(workContents().isEmpty());
}

// Members left out of an archive make the listing incomplete: said, and the exit says so.
TEST_F(IntakeTest, ListToolFailsWhenMembersWereLeftOut) {
    const QString zip =
        songs.write(QStringLiteral("cut.zip"),
                    buildZip({file("../up.mid", smallSong("U")), file("ok.mid", smallSong("OK"))}));
    const Listed listed = runList({zip}, module, settings);
    EXPECT_EQ(listed.code, 1);
    EXPECT_EQ(listed.out, zip + QStringLiteral("\tok.mid\tOK\n"));
    EXPECT_TRUE(listed.err.contains(QStringLiteral("cut.zip"))) << listed.err.toStdString();
}

TEST_F(IntakeTest, ListToolNeedsAPathAndTakesRelativeOnes) {
    const Listed none = runList({}, module, settings);
    EXPECT_EQ(none.code, 2);
    EXPECT_FALSE(none.err.isEmpty());

    songs.write(QStringLiteral("r.mid"), smallSong("R"));
    const QString here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(songs.path()));
    const Listed relative = runList({QStringLiteral("r.mid")}, module, settings);
    QDir::setCurrent(here);
    EXPECT_EQ(relative.code, 0);
    EXPECT_EQ(relative.out, QDir(songs.path()).canonicalPath() + QStringLiteral("\tr.mid\tR\n"));
    EXPECT_TRUE(relative.err.isEmpty());
}

}  // namespace
}  // namespace vesk::test
