#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QFontMetrics>
#include <QLabel>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

#include "app/component_probe.h"
#include "app/work_folder.h"
#include "platform/single_instance.h"
#include "support/temp_dir.h"
#include "ui/info/version_window.h"

namespace vesk::app {
namespace {

TEST(WorkFolder, CreatedPrivateAndReused) {
    test::TempDir base;
    WorkFolderResult made = prepareWorkFolder(base.path());
    ASSERT_EQ(made.path, base.path() + "/Vesk_Midi/") << made.error.toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(made.path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    ::chmod(QFile::encodeName(made.path).constData(), 0755);
    EXPECT_EQ(prepareWorkFolder(base.path()).path, made.path);
    ::stat(QFile::encodeName(made.path).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "a loosened folder is made private again";
}

// A link, a file, or (when the test can make one) another user's folder in its place.
TEST(WorkFolder, RefusesWhatIsNotItsOwnFolder) {
    test::TempDir elsewhere;
    const std::vector<std::pair<const char*, std::function<bool(const QString&)>>> intruders = {
        {"link", [&](const QString& at) { return QFile::link(elsewhere.path(), at); }},
        {"file",
         [](const QString& at) {
             QFile file(at);
             return file.open(QIODevice::WriteOnly) && file.write("a file") > 0;
         }},
        {"other user's folder",
         [](const QString& at) {
             return ::getuid() == 0 && QDir().mkdir(at) &&
                    ::chown(QFile::encodeName(at).constData(), 65534, 65534) == 0;
         }},
    };
    for (const auto& [what, plant] : intruders) {
        test::TempDir base;
        if (!plant(base.file("Vesk_Midi"))) {
            continue;  // changing a folder's owner needs root
        }
        const WorkFolderResult r = prepareWorkFolder(base.path());
        EXPECT_TRUE(r.path.isEmpty()) << what;
        EXPECT_TRUE(r.error.contains("Vesk_Midi")) << what << ": " << r.error.toStdString();
    }
}

TEST(WorkFolder, CleaningKeepsOnlyThePlayersOwnEntriesAndFollowsNoLink) {
    test::TempDir base;
    const QString work = prepareWorkFolder(base.path()).path;
    test::TempDir outside;
    const QString precious = outside.write("precious.mid", "keep me");
    QFile(work + "old.mid").open(QIODevice::WriteOnly);
    QFile::link(precious, work + "link.mid");
    QFile::link(outside.path(), work + "linkedFolder");
    QDir().mkpath(work + "FileNames");
    QFile(work + "FileNames/12.File").open(QIODevice::WriteOnly);
    QDir().mkpath(work + "Lock");
    QFile(work + "Lock/instance.lock").open(QIODevice::WriteOnly);
    QDir().mkpath(work + "set/inner");
    QFile(work + "set/inner/member.mid").open(QIODevice::WriteOnly);
    QFile::link(outside.path(), work + "set/inner/out");

    cleanWorkFolder(work);
    EXPECT_EQ(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"FileNames", "Lock"}));
    EXPECT_TRUE(QFile::exists(work + "FileNames/12.File"));
    EXPECT_TRUE(QFile::exists(work + "Lock/instance.lock"));
    EXPECT_EQ(test::readAll(precious), "keep me");
}

// An archive once wrote a file named "Lock" and a link named "FileNames": the next start
// must still be able to lock and to take hand-offs.
TEST(WorkFolder, RepairReplacesWhatStandsInPlaceOfTheOwnFolders) {
    test::TempDir base;
    const QString work = prepareWorkFolder(base.path()).path;
    test::TempDir outside;
    const QString precious = outside.write("0.File", "keep me");
    QFile(work + "Lock").open(QIODevice::WriteOnly);
    QFile::link(outside.path(), work + "FileNames");

    repairWorkFolder(work);
    EXPECT_FALSE(QFileInfo(work + "Lock").exists());
    EXPECT_FALSE(QFileInfo(work + "FileNames").isSymLink());
    EXPECT_EQ(test::readAll(precious), "keep me");
    QString error;
    EXPECT_NE(platform::InstanceLock::tryAcquire(work + "Lock/instance.lock", &error), nullptr)
        << error.toStdString();
}

TEST(DllVersion, TextsOfComponents) {
    // Version numbers in hundredths drop trailing zeros in the number, not on the line.
    for (const auto& [hundredths, number, line] :
         std::vector<std::tuple<int, const char*, const char*>>{{191, "1.91", "Ver 1.91  credit"},
                                                                {190, "1.9", "Ver 1.90  credit"},
                                                                {200, "2", "Ver 2  credit"}}) {
        EXPECT_EQ(hundredthsText(hundredths), number);
        EXPECT_EQ(versionText({hundredthsText(hundredths), "credit"}), line);
    }
    EXPECT_EQ(versionText({"3.6.2", "libarchive"}), "Ver 3.6.2  libarchive");

    ComponentProbes probes;
    probes.rcpcv = [] { return config::ComponentVersion{"1.0", "own"}; };
    probes.unrar = [] { return std::optional<config::ComponentVersion>(); };
    EXPECT_EQ(componentVersion("RCPCV", probes), "Ver 1.00  own");
    EXPECT_EQ(componentVersion("UNRAR", probes), NotInstalled);
    EXPECT_EQ(componentVersion("UNLHA32", probes), NotInstalled);
    EXPECT_EQ(componentVersion("OTHER", probes), "");
}

}  // namespace
}  // namespace vesk::app

namespace vesk::app {
namespace {

TEST(DllVersion, TheBuiltInComponentsAreInstalled) {
    const ComponentProbes probes = installedComponents();
    const QString text = componentVersion("RCPCV", probes);
    EXPECT_TRUE(text.startsWith("Ver 1.")) << text.toStdString();
    EXPECT_GT(text.indexOf("  "), 0);
    config::ModuleState module;
    probeComponents(module, probes);
    EXPECT_TRUE(module.haveLzhReader && module.haveZipReader && module.haveRarReader &&
                module.haveRcpConverter);
    EXPECT_TRUE(componentVersion("UNZIP32", probes).contains("libarchive"));

    // The version window shows what this build really has, every line whole in its box.
    ui::VersionTexts texts;
    for (std::size_t i = 0; i < ui::ComponentNames.size(); ++i) {
        texts.components[i] = componentVersion(QString::fromLatin1(ui::ComponentNames[i]), probes);
    }
    ui::VersionWindow window(texts, nullptr);
    for (int i = 0; i < 4; ++i) {
        const QLabel& line = *window.componentLabel(i);
        EXPECT_FALSE(line.text().contains("DLL")) << line.text().toStdString();
        EXPECT_LE(line.x() + QFontMetrics(line.font()).horizontalAdvance(line.text()),
                  line.parentWidget()->width() - 2)
            << line.text().toStdString();
    }
}

}  // namespace
}  // namespace vesk::app
