// The configuration write under faults: a writer killed at random moments, and a disk
// that refuses to take the file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <functional>
#include <random>

#include "config/config_file.h"
#include "config/settings.h"
#include "support/temp_dir.h"
#include "ui/main/window_rig.h"

namespace vesk::app {
namespace {

constexpr char kLoopVariable[] = "VESK_FAULTS_CONFIG_LOOP";

config::Settings firstSettings() {
    return config::Settings{};
}

config::Settings secondSettings() {
    config::Settings s;
    s.top = 1234;
    s.left = 4321;
    s.repeat = 2;
    s.lastFile = QStringLiteral("/曲/お気に入り.mlt");
    s.useDeviceB = true;
    s.deviceNumber = QStringLiteral("Auto");
    s.deviceSlots[1] = config::DeviceSlot{QStringLiteral("GS,SC"),
                                          QStringLiteral("F0 41 10 42 12 40 00 7F 00 41 F7"), 2, 1};
    s.soundFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
    return s;
}

// Not a test of its own: the child process the killing test starts. It writes the two
// settings in turn until it is killed.
TEST(ConfigWriterChild, WritesUntilKilled) {
    const QByteArray path = qgetenv(kLoopVariable);
    if (path.isEmpty()) {
        GTEST_SKIP() << "runs only as the child of ConfigWriteKilled";
    }
    const config::Settings both[2] = {firstSettings(), secondSettings()};
    for (unsigned n = 0;; ++n) {
        const platform::WriteResult written =
            config::saveConfigFile(QString::fromUtf8(path), both[n % 2]);
        ASSERT_TRUE(written.ok) << written.error.toStdString();
        if (n == 0) {
            std::fputs("writing\n", stdout);
            std::fflush(stdout);
        }
    }
}

QStringList othersThan(const QString& folder, const QString& name) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeAll(name);
    return names;
}

TEST(ConfigWriteKilled, LeavesTheOldOrTheNewFileNeverABrokenOne) {
    test::TempDir dir;
    const QString folder = dir.path() + "/config";
    const QString path = folder + "/vmidi.ini";
    const QByteArray first = config::writeConfig(firstSettings());
    const QByteArray second = config::writeConfig(secondSettings());
    ASSERT_TRUE(config::saveConfigFile(path, firstSettings()).ok);

    std::random_device device;
    const unsigned seed = device();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 20000);
    RecordProperty("seed", static_cast<int>(seed & 0x7fffffff));

    constexpr int kKills = 30;
    int sawFirst = 0;
    int sawSecond = 0;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < kKills; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kLoopVariable, path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=ConfigWriterChild.WritesUntilKilled"});
        ASSERT_TRUE(child.waitForStarted(10000));
        while (!child.readAllStandardOutput().contains("writing") &&
               child.state() == QProcess::Running) {
            child.waitForReadyRead(100);
        }
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
        ::usleep(static_cast<useconds_t>(delayUs(random)));
        ASSERT_EQ(::kill(static_cast<pid_t>(child.processId()), SIGKILL), 0);
        ASSERT_TRUE(child.waitForFinished(10000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

        const QByteArray bytes = test::readAll(path);
        const config::ConfigLoad load = config::loadConfigFile(path);
        ASSERT_TRUE(load.exists);
        ASSERT_TRUE(load.read.valid) << "round " << round << " seed " << seed;
        if (bytes == first) {
            ++sawFirst;
            EXPECT_EQ(load.read.settings, config::readConfig(first).settings);
        } else if (bytes == second) {
            ++sawSecond;
            EXPECT_EQ(load.read.settings, config::readConfig(second).settings);
        } else {
            ADD_FAILURE() << "round " << round << " seed " << seed << ": broken file of "
                          << bytes.size() << " bytes";
        }
        EXPECT_LE(othersThan(folder, "vmidi.ini").size(), 1)
            << othersThan(folder, "vmidi.ini").join(", ").toStdString();
    }
    std::printf("[ timing ] %d kills in %lld ms: old/new file %d/%d times (seed %u)\n", kKills,
                static_cast<long long>(timer.elapsed()), sawFirst, sawSecond, seed);
    // The next normal save still works and cleans up after the killed writer.
    ASSERT_TRUE(config::saveConfigFile(path, secondSettings()).ok);
    EXPECT_EQ(test::readAll(path), second);
    EXPECT_TRUE(othersThan(folder, "vmidi.ini").isEmpty());
}

// Quitting through the main window's saveConfig with a configuration folder that cannot
// take the file: one clear message, the old file as it was, and the quit goes on.
// `save` runs the save; the window is made before it, so only the save meets a fault.
void expectRefusedSave(
    const QString& configPath, const QString& oldPath, const QByteArray& old,
    const std::function<void(ui::PlayerWindow&)>& save = [](ui::PlayerWindow& w) {
        w.saveConfig();
    }) {
    ui::test::WindowRig rig;
    rig.module.configPath = configPath;
    ui::PlayerWindow& w = rig.open();
    rig.openSongs(2);
    rig.settings.lastFile = "/changed.mlt";
    rig.interaction.shown.clear();
    save(w);
    ASSERT_EQ(rig.interaction.shown.size(), 1u);
    const QString text = rig.interaction.shown[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("設定ファイルを保存できませんでした。\n")))
        << text.toStdString();
    EXPECT_GT(text.size(), QStringLiteral("設定ファイルを保存できませんでした。\n").size())
        << "the message says why";
    EXPECT_EQ(rig.interaction.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(rig.quits, 1);
    if (!oldPath.isEmpty()) {
        EXPECT_EQ(test::readAll(oldPath), old);
        EXPECT_EQ(othersThan(QFileInfo(oldPath).absolutePath(), QFileInfo(oldPath).fileName()),
                  QStringList());
    }
    // The list in memory is untouched by the failed save.
    EXPECT_EQ(rig.player->state().playList.size(), 2u);
}

TEST(ConfigRefused, ReadOnlyFolder) {
    test::TempDir dir;
    const QString folder = dir.path() + "/config";
    const QString path = folder + "/vmidi.ini";
    ASSERT_TRUE(config::saveConfigFile(path, secondSettings()).ok);
    const QByteArray old = test::readAll(path);
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    if (QFile probe(folder + "/probe"); probe.open(QIODevice::WriteOnly)) {
        probe.close();
        QFile::remove(folder + "/probe");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "permissions do not bind this user (root); see the other cases";
    }
    expectRefusedSave(path, path, old);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(ConfigRefused, FolderPathRunsThroughAFile) {
    test::TempDir dir;
    const QString blocker = dir.write("blocker", "not a folder");
    expectRefusedSave(blocker + "/veskmidi/vmidi.ini", blocker, "not a folder");
}

// Restores the file size limit and the signal it raises.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ok_ = ::getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

  private:
    rlimit saved_{};
    sighandler_t previous_ = SIG_DFL;
    bool ok_ = false;
};

TEST(ConfigRefused, DiskThatTakesNoMoreBytes) {
    test::TempDir dir;
    const QString path = dir.path() + "/config/vmidi.ini";
    ASSERT_TRUE(config::saveConfigFile(path, secondSettings()).ok);
    expectRefusedSave(path, path, test::readAll(path), [](ui::PlayerWindow& w) {
        FileSizeLimit limit(16);
        ASSERT_TRUE(limit.ok());
        w.saveConfig();
    });
}

}  // namespace
}  // namespace vesk::app
