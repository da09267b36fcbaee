// Runs the real program as a second instance: it must hand its command line over in
// whole files and end without a window.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include "app/work_folder.h"
#include "platform/file_path.h"
#include "platform/handoff.h"
#include "platform/single_instance.h"
#include "support/temp_dir.h"

namespace vesk::app {
namespace {

// The program's environment with its runtime folder in `runtime`; without a display, a
// window would make it fail.
QProcessEnvironment programEnvironment(const QString& runtime, bool headless = true) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime);
    if (headless) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            env.remove(name);
        }
    }
    return env;
}

// Runs the program to its end: exit code, standard output and error.
struct Finished {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Finished runProgram(const QStringList& args, const QProcessEnvironment& env,
                    const QString& workingDir = {}) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workingDir);
    process.start(VESK_BINARY, args);
    EXPECT_TRUE(process.waitForFinished(20000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

class SecondInstance : public ::testing::Test {
  protected:
    void SetUp() override {
        work_ = prepareWorkFolder(runtime_.path()).path;
        ASSERT_FALSE(work_.isEmpty());
        QString error;
        running_ = platform::InstanceLock::tryAcquire(work_ + "Lock/instance.lock", &error);
        ASSERT_NE(running_, nullptr) << error.toStdString();
    }

    std::unique_ptr<QProcess> start(const QStringList& args) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(programEnvironment(runtime_.path()));
        process->start(VESK_BINARY, args);
        return process;
    }

    int run(const QStringList& args, const QString& workingDir = {}) {
        const Finished done = runProgram(args, programEnvironment(runtime_.path()), workingDir);
        EXPECT_EQ(done.err, "");
        return done.exitCode;
    }

    // Runs the program with one argument of exactly these bytes.
    int runBytes(const QByteArray& arg) {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry(*e);
            if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
                entry.rfind("QT_QPA_PLATFORM=", 0) != 0 &&
                entry.rfind("XDG_RUNTIME_DIR=", 0) != 0) {
                env.push_back(entry);
            }
        }
        env.push_back("XDG_RUNTIME_DIR=" + platform::pathBytes(runtime_.path()).toStdString());
        std::vector<char*> envp;
        for (std::string& entry : env) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::string program = VESK_BINARY;
        std::string argument = arg.toStdString();
        char* argv[] = {program.data(), argument.data(), nullptr};
        pid_t pid = 0;
        if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            return -1;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    QStringList handoffFiles() const {
        return QDir(work_ + "FileNames").entryList({"*.File"}, QDir::Files);
    }

    test::TempDir runtime_;
    QString work_;
    std::unique_ptr<platform::InstanceLock> running_;
    platform::HandoffInbox inbox_;
};

TEST_F(SecondInstance, HandsOverOneQuotedPathAndEndsAndWithoutArgumentsLeavesNothing) {
    EXPECT_EQ(run({}), 0);
    EXPECT_FALSE(QDir(work_ + "FileNames").exists());
    EXPECT_EQ(run({"/music/夏の曲 1.mid"}), 0);
    ASSERT_EQ(handoffFiles().size(), 1);
    // The running player takes it whole and the file is gone.
    EXPECT_EQ(inbox_.take(work_ + "FileNames"), QStringLiteral("\"/music/夏の曲 1.mid\""));
    EXPECT_TRUE(handoffFiles().isEmpty());
}

TEST_F(SecondInstance, FilesArriveInTheOrderGivenAndStartsInTheOrderMade) {
    test::TempDir songs;
    QStringList first;
    QStringList expected;
    for (int i = 1; i <= 30; ++i) {
        first << QStringLiteral("n%1.mid").arg(i, 2, 10, QChar(u'0'));
        expected << u'"' + songs.path() + u'/' + first.last() + u'"';
    }
    EXPECT_EQ(run(first, songs.path()), 0);
    EXPECT_EQ(run({"sub/b.rcp", "/c.mid"}, songs.path()), 0);
    expected << u'"' + songs.path() + "/sub/b.rcp\""
             << "\"/c.mid\"";
    QStringList taken;
    while (auto line = inbox_.take(work_ + "FileNames")) {
        taken << *line;
    }
    EXPECT_EQ(taken, expected);
}

TEST_F(SecondInstance, EveryByteOfACommandLinePathArrives) {
    // A Shift-JIS name, and one with a newline, a quote and a backslash.
    const QByteArray names[] = {"/music/\x8B\xC8.mid", "/music/new\nline \"q\" \\.mid"};
    for (const QByteArray& name : names) {
        EXPECT_EQ(runBytes(name), 0);
        const auto line = inbox_.take(work_ + "FileNames");
        ASSERT_TRUE(line.has_value());
        EXPECT_EQ(platform::pathBytes(*line), '"' + name + '"');
    }
}

TEST_F(SecondInstance, ReaderNeverSeesAPartialFileDuringABurst) {
    const QString longName = QString(3000, u'x');
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < 12; ++i) {
        writers.emplace_back(start({QStringLiteral("/burst/%1-%2.mid").arg(i).arg(longName)}));
    }
    QSet<QString> taken;
    auto drain = [&] {
        while (auto line = inbox_.take(work_ + "FileNames")) {
            EXPECT_TRUE(line->startsWith("\"/burst/") && line->endsWith(longName + ".mid\""))
                << "partial hand-off of " << line->size() << " characters";
            taken.insert(*line);
        }
    };
    for (auto& writer : writers) {
        while (!writer->waitForFinished(5)) {
            drain();
        }
        EXPECT_EQ(writer->exitCode(), 0);
    }
    drain();
    EXPECT_EQ(taken.size(), 12);
}

TEST_F(SecondInstance, APlantedLinkInPlaceOfTheHandoffFolderIsNotFollowed) {
    test::TempDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), work_ + "FileNames"));
    // Start-up removes the link (never following it) and hands off into a real folder.
    EXPECT_EQ(run({"/music/a.mid"}), 0);
    EXPECT_TRUE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_FALSE(QFileInfo(work_ + "FileNames").isSymLink());
    EXPECT_EQ(handoffFiles().size(), 1);
}

TEST(FirstInstance, WithoutDisplaySaysSoInOneLine) {
    test::TempDir runtime;
    const Finished done = runProgram({}, programEnvironment(runtime.path()));
    EXPECT_NE(done.exitCode, 0);
    EXPECT_TRUE(done.err.contains("no display")) << done.err.toStdString();
    EXPECT_EQ(done.err.count('\n'), 1);
}

TEST(Tools, UnknownOptionIsRefusedAndHelpOffersOnlyWhatTheCommandLineTakes) {
    test::TempDir runtime;
    const QProcessEnvironment env = programEnvironment(runtime.path(), false);
    const Finished unknown = runProgram({"--no-such-tool"}, env);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("--no-such-tool"));
    EXPECT_FALSE(QDir(runtime.file("Vesk_Midi")).exists()) << "nothing was touched";

    const Finished help = runProgram({"--help"}, env);
    EXPECT_EQ(help.exitCode, 0);
    // A folder on the command line is refused, so the help must not offer one as a FILE.
    const QString fileText = QString::fromUtf8(help.out).section(QStringLiteral("Tools"), 0, 0);
    EXPECT_FALSE(fileText.contains(QRegularExpression(QStringLiteral("or folder|, folder"))))
        << fileText.toStdString();
    EXPECT_TRUE(fileText.contains(QStringLiteral("追加ﾌｫﾙﾀﾞ")));
}

}  // namespace
}  // namespace vesk::app
