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

class SecondInstance : public ::testing::Test {
  protected:
    void SetUp() override {
        work_ = prepareWorkFolder(runtime_.path()).path;
        ASSERT_FALSE(work_.isEmpty());
        QString error;
        running_ = platform::InstanceLock::tryAcquire(work_ + "Lock/instance.lock", &error);
        ASSERT_NE(running_, nullptr) << error.toStdString();
    }

    // Starts the program without any display, so a window would make it fail.
    QProcess* start(const QStringList& args, const QString& workingDir = {}) {
        auto* process = new QProcess();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime_.path());
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        process->setProcessEnvironment(env);
        if (!workingDir.isEmpty()) {
            process->setWorkingDirectory(workingDir);
        }
        process->start(VESK_BINARY, args);
        return process;
    }

    int run(const QStringList& args, const QString& workingDir = {}) {
        std::unique_ptr<QProcess> process(start(args, workingDir));
        EXPECT_TRUE(process->waitForFinished(20000));
        EXPECT_EQ(process->readAllStandardError(), "");
        return process->exitCode();
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

TEST_F(SecondInstance, HandsOverOneQuotedPathAndEnds) {
    EXPECT_EQ(run({"/music/夏の曲 1.mid"}), 0);
    ASSERT_EQ(handoffFiles().size(), 1);
    // The running player takes it whole and the file is gone.
    EXPECT_EQ(inbox_.take(work_ + "FileNames"), QStringLiteral("\"/music/夏の曲 1.mid\""));
    EXPECT_TRUE(handoffFiles().isEmpty());
}

TEST_F(SecondInstance, WithoutArgumentsLeavesNothing) {
    EXPECT_EQ(run({}), 0);
    EXPECT_FALSE(QDir(work_ + "FileNames").exists());
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
    std::unique_ptr<QProcess> process(start({"/music/a.mid"}));
    ASSERT_TRUE(process->waitForFinished(20000));
    // Start-up removes the link (never following it) and hands off into a real folder.
    EXPECT_EQ(process->exitCode(), 0);
    EXPECT_TRUE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_FALSE(QFileInfo(work_ + "FileNames").isSymLink());
    EXPECT_EQ(handoffFiles().size(), 1);
}

TEST(FirstInstance, WithoutDisplaySaysSoInOneLine) {
    test::TempDir runtime;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    process.start(VESK_BINARY, {});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_NE(process.exitCode(), 0);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains("no display")) << err.toStdString();
    EXPECT_EQ(err.count('\n'), 1);
}

TEST(Tools, UnknownOptionIsRefusedWithoutTouchingAnything) {
    test::TempDir runtime;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    process.setProcessEnvironment(env);
    process.start(VESK_BINARY, {"--no-such-tool"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("--no-such-tool"));
    EXPECT_FALSE(QDir(runtime.file("Vesk_Midi")).exists());
}

TEST(Tools, HelpOffersForFilesOnlyWhatTheCommandLineTakes) {
    test::TempDir runtime;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    process.setProcessEnvironment(env);
    process.start(VESK_BINARY, {"--help"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    // A folder on the command line is refused, so the help must not offer one as a FILE.
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    const QString fileText = help.section(QStringLiteral("Tools"), 0, 0);
    EXPECT_FALSE(fileText.contains(QRegularExpression(QStringLiteral("or folder|, folder"))))
        << fileText.toStdString();
    EXPECT_TRUE(fileText.contains(QStringLiteral("追加ﾌｫﾙﾀﾞ")));
}

}  // namespace
}  // namespace vesk::app
