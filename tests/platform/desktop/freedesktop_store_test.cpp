// The freedesktop association store against temporary XDG folders, checked with the
// desktop's own client, xdg-mime.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "platform/desktop/associations.h"
#include "platform/desktop/desktop_files.h"
#include "platform/desktop/freedesktop_store.h"
#include "support/temp_dir.h"

namespace vesk::platform::desktop {
namespace {

using vesk::test::readAll;
using vesk::test::TempDir;

const QByteArray OtherEntries =
    "# my own notes\n"
    "[Default Applications]\n"
    "text/plain=gedit.desktop;\n"
    "audio/midi=other.desktop;\n"
    "\n"
    "[Added Associations]\n"
    "application/zip=other.desktop;\n"
    "image/png=other.desktop;\n";

class DesktopRig : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) {
            GTEST_SKIP() << "xdg-mime (xdg-utils) is not installed";
        }
        QDir().mkpath(dir.file("home"));
        QDir().mkpath(dir.file("sys"));
        dir.write("data/applications/other.desktop",
                  "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %f\n");
        program = dir.write("prog/veskmidi", "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    DesktopFolders folders() const { return {dir.file("config"), dir.file("data"), {}}; }

    QString xdgMime(const QStringList& arguments) const {
        QProcessEnvironment env;
        env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
        env.insert("HOME", dir.file("home"));
        env.insert("XDG_CONFIG_HOME", dir.file("config"));
        env.insert("XDG_DATA_HOME", dir.file("data"));
        env.insert("XDG_DATA_DIRS", dir.file("sys"));
        env.insert("XDG_CONFIG_DIRS", dir.file("sys"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("xdg-mime"), arguments);
        EXPECT_TRUE(process.waitForFinished(60'000));
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    QString queryDefault(const char* type) const {
        return xdgMime({QStringLiteral("query"), QStringLiteral("default"), QLatin1String(type)});
    }
    QByteArray mimeApps() const { return readAll(dir.file("config/mimeapps.list")); }

    TempDir dir;
    QString program;
};

TEST_F(DesktopRig, MidiBecomesThePlayersAndGoesBackToThePreviousApplication) {
    dir.write("config/mimeapps.list", OtherEntries);
    FreedesktopAssociationStore store(folders(), program);
    Associations assoc(store);
    ASSERT_EQ(queryDefault("audio/midi"), "other.desktop");
    EXPECT_FALSE(assoc.inForce(0));

    // The second row of the same type must not back up the player as the previous default.
    ASSERT_TRUE(assoc.setAssociation(0));
    ASSERT_TRUE(assoc.setAssociation(1));
    EXPECT_EQ(queryDefault("audio/midi"), "io.github.veskmidi.VeskMidiPlayer.desktop");
    EXPECT_EQ(mimeApps(),
              "# my own notes\n[Default Applications]\ntext/plain=gedit.desktop;\n"
              "audio/midi=io.github.veskmidi.VeskMidiPlayer.desktop;\n\n[Added Associations]\n"
              "application/zip=other.desktop;\nimage/png=other.desktop;\n");
    EXPECT_TRUE(readAll(store.backupPath()).contains("audio/midi=other.desktop;"));
    const QByteArray entry = readAll(store.desktopEntryPath());
    EXPECT_TRUE(entry.contains("\nExec=" + program.toUtf8() + " %F\n")) << entry.constData();

    ASSERT_TRUE(assoc.removeAssociation(1));
    EXPECT_EQ(queryDefault("audio/midi"), "other.desktop");
    EXPECT_EQ(mimeApps(), OtherEntries);
    EXPECT_FALSE(readAll(store.backupPath()).contains("audio/midi"));
    EXPECT_TRUE(assoc.removeAssociation(0)) << "the sibling row finds the type given back";
    EXPECT_EQ(mimeApps(), OtherEntries);
}

TEST_F(DesktopRig, OwnTypesAreInstalledAndAnEmptyBackupRemovesTheDefault) {
    FreedesktopAssociationStore store(folders(), program);
    Associations assoc(store);
    EXPECT_FALSE(store.applicationInstalled());
    ASSERT_TRUE(assoc.setAssociation(3));
    EXPECT_TRUE(store.applicationInstalled());
    EXPECT_EQ(queryDefault("audio/x-recomposer"), "io.github.veskmidi.VeskMidiPlayer.desktop");
    EXPECT_TRUE(QFile::exists(dir.file("data/icons/hicolor/scalable/mimetypes/veskmidi-rcp.svg")));
    EXPECT_TRUE(QFile::exists(dir.file("data/icons/hicolor/scalable/apps/veskmidi.svg")));
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
        EXPECT_TRUE(readAll(dir.file("data/mime/globs2")).contains("audio/x-recomposer:*.g36"));
    }

    EXPECT_TRUE(readAll(store.backupPath()).contains("audio/x-recomposer=veskmidi.empty"));
    ASSERT_TRUE(assoc.removeAssociation(3));
    EXPECT_FALSE(mimeApps().contains("audio/x-recomposer"));
    EXPECT_FALSE(readAll(store.backupPath()).contains("audio/x-recomposer"));
    EXPECT_FALSE(assoc.inForce(7));
}

TEST_F(DesktopRig, ArchiveVerbAppearsAndDisappearsBesideOtherApplications) {
    dir.write("config/mimeapps.list", OtherEntries);
    FreedesktopAssociationStore store(folders(), program);
    Associations assoc(store);
    ASSERT_EQ(store.readValue(".zip", {}), "application/zip");
    ASSERT_TRUE(assoc.addArchiveVerb(10));
    EXPECT_TRUE(mimeApps().contains(
        "\napplication/zip=other.desktop;io.github.veskmidi.VeskMidiPlayer.desktop;\n"));
    EXPECT_TRUE(assoc.inForce(10));
    EXPECT_EQ(queryDefault("audio/midi"), "other.desktop");
    ASSERT_TRUE(assoc.removeArchiveVerb(10));
    EXPECT_EQ(mimeApps(), OtherEntries);
    EXPECT_FALSE(assoc.inForce(10));
}

TEST_F(DesktopRig, AListThatCannotBeReadIsNeverWrittenOver) {
    QDir().mkpath(dir.file("config/mimeapps.list"));
    FreedesktopAssociationStore store(folders(), program);
    Associations assoc(store);
    EXPECT_FALSE(assoc.setAssociation(0));
    EXPECT_FALSE(assoc.addArchiveVerb(10));
    EXPECT_TRUE(QFileInfo(dir.file("config/mimeapps.list")).isDir());
    EXPECT_FALSE(store.writeValue("not a type", {}, "x.desktop"));
    EXPECT_FALSE(store.writeValue("audio/midi", {}, "a.desktop\n[Evil]"));
    EXPECT_EQ(store.readValue(".", {}), "");
}

TEST_F(DesktopRig, AnInstalledPlayerIsNamedWithoutASecondEntry) {
    dir.write("sys/applications/io.github.veskmidi.VeskMidiPlayer.desktop",
              desktopEntry(QStringLiteral("veskmidi")));
    dir.write("sys/mime/packages/veskmidi.xml", mimePackage());
    DesktopFolders withSystem = folders();
    withSystem.dataDirs = {dir.file("sys")};
    FreedesktopAssociationStore store(withSystem, program);
    Associations assoc(store);
    ASSERT_TRUE(assoc.setAssociation(0));
    EXPECT_EQ(queryDefault("audio/midi"), "io.github.veskmidi.VeskMidiPlayer.desktop");
    EXPECT_FALSE(QFile::exists(store.desktopEntryPath()));
    EXPECT_FALSE(QDir(dir.file("data/icons")).exists());
}

TEST(DesktopFolders, EnvironmentOrTheHomeDefaults) {
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/vesk-config");
    qputenv("XDG_DATA_HOME", "relative/ignored");
    const QByteArray dirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", "/opt/vesk/share:relative:/usr/share");
    const DesktopFolders folders = DesktopFolders::fromEnvironment();
    qunsetenv("XDG_DATA_DIRS");
    const DesktopFolders defaults = DesktopFolders::fromEnvironment();
    qputenv("XDG_CONFIG_HOME", config);
    qputenv("XDG_DATA_HOME", data);
    qputenv("XDG_DATA_DIRS", dirs);
    EXPECT_EQ(folders.dataDirs, (QStringList{"/opt/vesk/share", "/usr/share"}));
    EXPECT_EQ(defaults.dataDirs, (QStringList{"/usr/local/share", "/usr/share"}));
    EXPECT_EQ(folders.configHome, "/tmp/vesk-config");
    EXPECT_EQ(folders.dataHome, QDir::homePath() + "/.local/share");
}

}  // namespace
}  // namespace vesk::platform::desktop
