// The Debian package as a user's system meets it: made with CPack, unpacked into a
// temporary root, its dependencies resolvable from the system's package lists, the
// unpacked program working headless, and lintian finding no errors.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "support/temp_dir.h"

namespace vesk::app {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
};

Outcome run(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    Outcome result;
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        result.out = program + " did not finish";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAll());
    return result;
}

TEST(DebianPackage, UnpacksResolvesRunsAndPassesLintian) {
    for (const char* tool : {"cpack", "dpkg-deb", "dpkg-shlibdeps", "apt-get", "lintian"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh)";
        }
    }
    test::TempDir dir;
    const Outcome pack =
        run("cpack", {"--config", VESK_BUILD_DIR "/CPackConfig.cmake", "-B", dir.path()});
    ASSERT_EQ(pack.exitCode, 0) << pack.out.toStdString();
    const QStringList debs = QDir(dir.path()).entryList({"veskmidi_*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1);
    const QString deb = dir.path() + u'/' + debs.first();

    const Outcome depends = run("dpkg-deb", {"-f", deb, "Depends"});
    EXPECT_TRUE(depends.out.contains("libqt6widgets6") && depends.out.contains("libfluidsynth"))
        << "computed library dependencies: " << depends.out.toStdString();
    EXPECT_TRUE(depends.out.contains("fluid-soundfont-gm") &&
                depends.out.contains("fonts-noto-cjk"));
    const Outcome triggers = run("dpkg-deb", {"-I", deb, "triggers"});
    EXPECT_TRUE(triggers.out.contains("/usr/share/mime/packages") &&
                triggers.out.contains("/usr/share/applications"))
        << triggers.out.toStdString();
    const Outcome simulate =
        run("apt-get", {"install", "--simulate", "--no-install-recommends", deb});
    EXPECT_EQ(simulate.exitCode, 0) << simulate.out.toStdString();
    EXPECT_TRUE(simulate.out.contains("Conf veskmidi")) << simulate.out.toStdString();

    const QString root = dir.file("root");
    ASSERT_EQ(run("dpkg-deb", {"-x", deb, root}).exitCode, 0);
    const QString program = root + "/usr/bin/veskmidi";
    const QString song = root + "/usr/share/veskmidi/demo/ode_to_joy.mid";
    const Outcome version = run(program, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("VESK MIDI PLAYER Ver ")) << version.out.toStdString();
    const Outcome info = run(program, {"--info", song});
    EXPECT_EQ(info.exitCode, 0) << info.out.toStdString();
    EXPECT_TRUE(info.out.contains("Ode to Joy")) << info.out.toStdString();
    const QString wav = dir.file("ode.wav");
    const Outcome render = run(program, {"--render", wav, song});
    EXPECT_EQ(render.exitCode, 0) << render.out.toStdString();
    const QByteArray sound = test::readAll(wav);
    EXPECT_TRUE(sound.startsWith("RIFF") && sound.mid(8, 4) == "WAVE");
    EXPECT_GT(sound.size(), 44100 * 4 * 20) << "at least 20 s of stereo 16-bit sound";

    const Outcome lint = run("lintian", {"--allow-root", deb});
    for (const QString& line : lint.out.split(u'\n')) {
        EXPECT_FALSE(line.startsWith("E: ")) << line.toStdString();
    }
}

}  // namespace
}  // namespace vesk::app
