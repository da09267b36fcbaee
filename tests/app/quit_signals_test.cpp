// The real program on the offscreen platform, ended by the system instead of its window:
// it must quit as its own quit does, leaving its settings written and its work folder clean.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "support/temp_dir.h"

namespace vesk::app {
namespace {

// The settings are written beside the program when its folder is writable, so each run
// gets a folder of its own holding (a link to) the program.
class Program {
  public:
    Program() : folder_(QFileInfo(QStringLiteral(VESK_BINARY)).absolutePath() + "/quit-XXXXXX") {
        path_ = folder_.filePath("veskmidi");
        if (::link(VESK_BINARY, QFile::encodeName(path_).constData()) != 0) {
            QFile::copy(VESK_BINARY, path_);
        }
    }
    QString path() const { return path_; }
    QString settingsFile() const { return folder_.filePath("vmidi.ini"); }

  private:
    QTemporaryDir folder_;
    QString path_;
};

TEST(QuitSignals, EndTheProgramAsItsOwnQuitDoes) {
    for (const int number : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(number);
        Program program;
        test::TempDir runtime;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("XDG_CONFIG_HOME", runtime.file("config"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "vesk.app.signals.info=true");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program.path(), {});
        ASSERT_TRUE(process.waitForStarted(20000));
        QByteArray output;
        QElapsedTimer waited;
        waited.start();
        while (!output.contains("quit signals handled") && waited.elapsed() < 30000 &&
               process.state() == QProcess::Running) {
            process.waitForReadyRead(200);
            output += process.readAll();
        }
        ASSERT_TRUE(output.contains("quit signals handled")) << output.toStdString();
        const QString stray = runtime.write("Vesk_Midi/stray.mid", "MThd");
        ASSERT_FALSE(QFileInfo::exists(program.settingsFile()));

        ::kill(static_cast<pid_t>(process.processId()), number);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_TRUE(test::readAll(program.settingsFile()).startsWith("[VESK MIDI INIT FILE]"));
        EXPECT_FALSE(QFileInfo::exists(stray));
    }
}

}  // namespace
}  // namespace vesk::app
