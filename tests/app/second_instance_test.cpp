// Runs the real program as a second instance: it must hand its command line over in
// whole files and end without a window.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSet>

#include "app/work_folder.h"
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

    QStringList handoffFiles() const {
        return QDir(work_ + "FileNames").entryList({"*.File"}, QDir::Files);
    }

    test::TempDir runtime_;
    QString work_;
    std::unique_ptr<platform::InstanceLock> running_;
};

TEST_F(SecondInstance, HandsOverOneQuotedPathAndEnds) {
    EXPECT_EQ(run({"/music/夏の曲 1.mid"}), 0);
    ASSERT_EQ(handoffFiles().size(), 1);
    const QString file = work_ + "FileNames/" + handoffFiles().first();
    EXPECT_EQ(test::readAll(file), QStringLiteral("\"/music/夏の曲 1.mid\"\r\n").toUtf8());
    // The running player takes it whole and the file is gone.
    EXPECT_EQ(platform::takeHandoffFile(work_ + "FileNames"),
              QStringLiteral("\"/music/夏の曲 1.mid\""));
    EXPECT_TRUE(handoffFiles().isEmpty());
}

TEST_F(SecondInstance, WithoutArgumentsLeavesNothing) {
    EXPECT_EQ(run({}), 0);
    EXPECT_FALSE(QDir(work_ + "FileNames").exists());
}

TEST_F(SecondInstance, RelativePathsAndSeveralArgumentsBecomeSeveralFiles) {
    test::TempDir songs;
    EXPECT_EQ(run({"a.mid", "sub/b.rcp"}, songs.path()), 0);
    EXPECT_EQ(run({"/c.mid"}), 0);
    ASSERT_EQ(handoffFiles().size(), 3);
    QSet<QString> taken;
    while (auto line = platform::takeHandoffFile(work_ + "FileNames")) {
        taken.insert(*line);
    }
    EXPECT_EQ(taken, (QSet<QString>{'"' + songs.path() + "/a.mid\"",
                                    '"' + songs.path() + "/sub/b.rcp\"", "\"/c.mid\""}));
}

TEST_F(SecondInstance, ReaderNeverSeesAPartialFileDuringABurst) {
    const QString longName = QString(3000, u'x');
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < 12; ++i) {
        writers.emplace_back(start({QStringLiteral("/burst/%1-%2.mid").arg(i).arg(longName)}));
    }
    QSet<QString> taken;
    auto drain = [&] {
        while (auto line = platform::takeHandoffFile(work_ + "FileNames")) {
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

}  // namespace
}  // namespace vesk::app
