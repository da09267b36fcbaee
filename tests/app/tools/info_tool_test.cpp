#include <gtest/gtest.h>

#include "app/tools/info_tool.h"
#include "support/fake_sequencer.h"
#include "support/temp_dir.h"

namespace vesk::engine {
namespace {

using test::meta;

TEST(InfoTool, PrintsOneLinePerFileAndFailsOnUnreadableOnes) {
    vesk::test::TempDir dir;
    const QString song = dir.write(
        "曲.mid", test::smfHeader(1, 2, 480) +
                      test::track(meta(3, QStringLiteral("夜\tの曲").toUtf8()) + meta(2, "(C)")));
    const QString plain = dir.write("plain.mid", test::smfHeader(0, 1, 96) + test::track({}));
    test::FakeSequencer seq;
    seq.answers["status DataOnly length"] = {0, "61000"};
    QByteArray outBytes;
    QByteArray errBytes;
    auto run = [&](const QStringList& files) {
        outBytes.clear();
        errBytes.clear();
        QTextStream out(&outBytes);
        QTextStream err(&errBytes);
        return app::runInfoTool(files, seq, out, err);
    };

    EXPECT_EQ(run({song, plain}), 0);
    EXPECT_EQ(QString::fromUtf8(outBytes),
              song + "\t1\t2\t480\t61000\t夜 の曲\t(C)\n" + plain + "\t0\t1\t96\t61000\tplain\t\n");

    const QString missing = dir.file("missing.mid");
    EXPECT_EQ(run({missing, plain}), 1);
    EXPECT_TRUE(
        QString::fromUtf8(outBytes).startsWith(missing + "\t指定されたﾌｧｲﾙが見つかりません\n"));
    EXPECT_TRUE(errBytes.isEmpty());

    EXPECT_EQ(run({}), 2);
    EXPECT_FALSE(errBytes.isEmpty());
}

}  // namespace
}  // namespace vesk::engine
