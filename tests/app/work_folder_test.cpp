#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "app/component_probe.h"
#include "app/work_folder.h"
#include "support/temp_dir.h"

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

TEST(WorkFolder, RefusesLinksAndFiles) {
    test::TempDir base;
    test::TempDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), base.file("Vesk_Midi")));
    WorkFolderResult linked = prepareWorkFolder(base.path());
    EXPECT_TRUE(linked.path.isEmpty());
    EXPECT_TRUE(linked.error.contains("Vesk_Midi"));

    test::TempDir other;
    other.write("Vesk_Midi", "a file");
    EXPECT_TRUE(prepareWorkFolder(other.path()).path.isEmpty());
}

TEST(WorkFolder, RefusesAFolderOfAnotherUser) {
    if (::getuid() != 0) {
        GTEST_SKIP() << "changing a folder's owner needs root";
    }
    test::TempDir base;
    ASSERT_TRUE(QDir(base.path()).mkdir("Vesk_Midi"));
    ASSERT_EQ(::chown(QFile::encodeName(base.file("Vesk_Midi")).constData(), 65534, 65534), 0);
    WorkFolderResult r = prepareWorkFolder(base.path());
    EXPECT_TRUE(r.path.isEmpty());
    EXPECT_FALSE(r.error.isEmpty());
}

TEST(WorkFolder, CleaningDeletesOnlyFilesDirectlyInside) {
    test::TempDir base;
    const QString work = prepareWorkFolder(base.path()).path;
    test::TempDir outside;
    const QString precious = outside.write("precious.mid", "keep me");
    QFile(work + "old.mid").open(QIODevice::WriteOnly);
    QFile(work + "converted.mid").open(QIODevice::WriteOnly);
    QFile::link(precious, work + "link.mid");
    QDir().mkpath(work + "FileNames");
    QFile(work + "FileNames/12.File").open(QIODevice::WriteOnly);
    QDir().mkpath(work + "sub");
    QFile(work + "sub/member.mid").open(QIODevice::WriteOnly);

    cleanWorkFolder(work);
    EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 0);
    EXPECT_TRUE(QFile::exists(work + "FileNames/12.File"));
    EXPECT_TRUE(QFile::exists(work + "sub/member.mid"));
    EXPECT_EQ(test::readAll(precious), "keep me");
}

TEST(DllVersion, TextsOfComponents) {
    EXPECT_EQ(hundredthsText(191), "1.91");
    EXPECT_EQ(hundredthsText(190), "1.9");
    EXPECT_EQ(hundredthsText(200), "2");
    EXPECT_EQ(versionText({hundredthsText(190), "credit"}), "Ver 1.90  credit");
    EXPECT_EQ(versionText({hundredthsText(200), "credit"}), "Ver 2  credit");
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
}

}  // namespace
}  // namespace vesk::app
