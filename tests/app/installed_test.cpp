// The player installed into a temporary prefix, run from there with no source folder in
// sight: its desktop files pass the desktop's validators, the tools and the window run,
// the window answers the desktop's media controls on a private session bus, and its
// settings go to the user's folder rather than beside the program.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "support/temp_dir.h"

namespace vesk::app {
namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result runTool(const QString& program, const QStringList& args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    Result result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.err = program + " did not finish";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

class Installed : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = new test::TempDir();
        const Result install =
            runTool(VESK_CMAKE, {"--install", VESK_BUILD_DIR, "--prefix", prefix_->path()});
        ASSERT_EQ(install.exitCode, 0) << install.err.toStdString();
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }

    static QString file(const QString& relative) { return prefix_->path() + u'/' + relative; }

    // A user of their own: home, configuration and runtime folders in the test's folder.
    QProcessEnvironment userEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", user_.file("home"));
        env.insert("XDG_CONFIG_HOME", user_.file("config"));
        env.insert("XDG_DATA_HOME", user_.file("data"));
        env.insert("XDG_RUNTIME_DIR", user_.file("runtime"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }
    void SetUp() override {
        for (const char* folder : {"home", "config", "data", "runtime"}) {
            QDir().mkpath(user_.file(folder));
        }
        QFile::setPermissions(user_.file("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    static test::TempDir* prefix_;
    test::TempDir user_;
};

test::TempDir* Installed::prefix_ = nullptr;

TEST_F(Installed, DesktopFilesPassTheValidators) {
    for (const char* tool : {"desktop-file-validate", "appstreamcli"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh)";
        }
    }
    const QString entry = file("share/applications/io.github.veskmidi.VeskMidiPlayer.desktop");
    const Result desktop = runTool("desktop-file-validate", {entry});
    EXPECT_EQ(desktop.exitCode, 0) << desktop.out.toStdString() << desktop.err.toStdString();
    EXPECT_EQ(desktop.out + desktop.err, "");
    const QByteArray text = test::readAll(entry);
    EXPECT_TRUE(text.contains("\nExec=veskmidi %F\n"));
    EXPECT_TRUE(text.contains("\nName[ja]=") && text.contains("\nComment[ja]="));
    EXPECT_TRUE(text.contains("audio/x-recomposer;"));

    const Result appstream = runTool(
        "appstreamcli", {"validate", "--no-net",
                         file("share/metainfo/io.github.veskmidi.VeskMidiPlayer.metainfo.xml")});
    EXPECT_EQ(appstream.exitCode, 0) << appstream.out.toStdString();

    // The MIME package is one the desktop's database takes, with every extension.
    const QByteArray mime = test::readAll(file("share/mime/packages/veskmidi.xml"));
    for (const char* glob : {"*.rcp", "*.r36", "*.g36", "*.g18", "*.r18", "*.mlt", "*.rmi"}) {
        EXPECT_TRUE(mime.contains(QByteArray("pattern=\"") + glob + '"')) << glob;
    }
    if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
        const Result update = runTool("update-mime-database", {file("share/mime")});
        EXPECT_EQ(update.exitCode, 0) << update.err.toStdString();
        EXPECT_TRUE(test::readAll(file("share/mime/globs2")).contains("audio/x-recomposer:*.g18"));
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString png =
            file(QStringLiteral("share/icons/hicolor/%1x%1/apps/veskmidi.png").arg(size));
        EXPECT_TRUE(test::readAll(png).startsWith("\x89PNG")) << size;
    }
    EXPECT_TRUE(QFileInfo(file("share/icons/hicolor/scalable/apps/veskmidi.svg")).isFile());
}

TEST_F(Installed, ToolsRunFromThePrefix) {
    const QString program = file("bin/veskmidi");
    const Result version = runTool(program, {"--version"}, userEnvironment());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("VESK MIDI PLAYER Ver ")) << version.out.toStdString();
    const Result info =
        runTool(program, {"--info", file("share/veskmidi/demo/sakura.mid")}, userEnvironment());
    EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("さくらさくら"))) << info.out.toStdString();
}

TEST_F(Installed, WindowPlaysTheDemoAnswersTheBusAndKeepsSettingsInTheUsersFolder) {
    for (const char* tool : {"dbus-daemon", "playerctl", "gdbus"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh)";
        }
    }
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    QProcessEnvironment env = userEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address);

    // First start with no file: the installed demo list plays.
    QProcess player;
    player.setProcessEnvironment(env);
    player.start(file("bin/veskmidi"), {});
    ASSERT_TRUE(player.waitForStarted());
    auto ctl = [&env](const QStringList& args) {
        return runTool("playerctl", QStringList{"-p", "veskmidi"} + args, env).out.trimmed();
    };
    QElapsedTimer waited;
    waited.start();
    while (ctl({"status"}) != "Playing" && waited.elapsed() < 20000) {
        QThread::msleep(100);
    }
    EXPECT_EQ(ctl({"status"}), "Playing");
    EXPECT_EQ(ctl({"metadata", "xesam:title"}), "Night Drive");
    ctl({"loop", "Playlist"});
    ctl({"next"});
    EXPECT_EQ(ctl({"metadata", "xesam:title"}), "Ode to Joy");
    EXPECT_EQ(ctl({"loop"}), "Playlist");

    // Quit is the window's own: the settings are written, in the user's folder.
    const Result quit = runTool("gdbus",
                                {"call", "--session", "-d", "org.mpris.MediaPlayer2.veskmidi", "-o",
                                 "/org/mpris/MediaPlayer2", "-m", "org.mpris.MediaPlayer2.Quit"},
                                env);
    EXPECT_EQ(quit.exitCode, 0) << quit.err.toStdString();
    EXPECT_TRUE(player.waitForFinished(20000));
    EXPECT_EQ(player.exitCode(), 0);
    const QByteArray settings = test::readAll(user_.file("config/veskmidi/vmidi.ini"));
    EXPECT_TRUE(settings.contains("REPEAT=2")) << settings.constData();
    EXPECT_EQ(QDir(file("bin")).entryList(QDir::Files), QStringList{"veskmidi"});
    daemon.terminate();
    daemon.waitForFinished(3000);
}

TEST_F(Installed, WithoutASessionBusTheWindowRunsAndSaysSoOnce) {
    QProcessEnvironment env = userEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + user_.file("no-such-bus"));
    QProcess player;
    player.setProcessEnvironment(env);
    player.start(file("bin/veskmidi"), {file("share/veskmidi/demo/sakura.mid")});
    ASSERT_TRUE(player.waitForStarted());
    EXPECT_FALSE(player.waitForFinished(3000)) << "the window keeps running";
    player.terminate();
    player.waitForFinished(5000);
    const QString err = QString::fromUtf8(player.readAllStandardError());
    EXPECT_EQ(err.count("media keys"), 1) << err.toStdString();
}

}  // namespace
}  // namespace vesk::app
