#include "platform/desktop/freedesktop_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include "platform/atomic_file.h"
#include "platform/desktop/associations.h"
#include "platform/desktop/desktop_files.h"
#include "platform/desktop/desktop_log.h"

namespace vesk::platform::desktop {
namespace {

// mimeapps.list files are a few kilobytes; anything far larger is not one.
constexpr qint64 MaxListBytes = 4 * 1024 * 1024;
constexpr int ToolMilliseconds = 30'000;
constexpr char BackupGroup[] = "Previous Defaults";

QString folderFromEnvironment(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    // XDG base folders must be absolute; a relative value counts as unset.
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) {
        return value;
    }
    return QDir::homePath() + u'/' + fallback;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        qCWarning(lcOptions) << "cannot create the folder of" << path;
        return false;
    }
    const platform::WriteResult result = platform::writeFileAtomically(path, bytes);
    if (!result.ok) {
        qCWarning(lcOptions) << result.error;
    }
    return result.ok;
}

void runTool(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        qCDebug(lcOptions) << tool << "is not installed; the desktop picks the change up later";
        return;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(ToolMilliseconds)) {
        qCWarning(lcOptions) << "cannot start" << program << process.errorString();
        return;
    }
    if (!process.waitForFinished(ToolMilliseconds)) {
        qCWarning(lcOptions) << program << "took too long and was stopped";
        process.kill();
        process.waitForFinished(ToolMilliseconds);
        return;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qCWarning(lcOptions) << program << "failed:" << process.readAll();
    }
}

QString groupOf(const QString& name) {
    if (name.isEmpty()) {
        return QString::fromLatin1(DefaultApplicationsGroup);
    }
    if (name == QLatin1String(AddedEntry)) {
        return QString::fromLatin1(AddedAssociationsGroup);
    }
    if (name == QLatin1String(RemovedEntry)) {
        return QString::fromLatin1(RemovedAssociationsGroup);
    }
    return {};
}

bool isExtensionKey(const QString& key) {
    return key.startsWith(u'.');
}

// A MIME type "type/subtype"; anything else (a path, an empty key) names no entry.
bool isTypeKey(const QString& key) {
    const qsizetype slash = key.indexOf(u'/');
    return slash > 0 && slash < key.size() - 1 && key.indexOf(u'/', slash + 1) < 0 &&
           !key.contains(u'=') && !key.contains(u'[') && !key.contains(u'\n') &&
           !key.contains(u'\r');
}

}  // namespace

DesktopFolders DesktopFolders::fromEnvironment() {
    QStringList dataDirs;
    for (const QString& dir : qEnvironmentVariable("XDG_DATA_DIRS").split(u':')) {
        if (QDir::isAbsolutePath(dir)) {
            dataDirs.append(dir);
        }
    }
    if (dataDirs.isEmpty()) {
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    }
    return {folderFromEnvironment("XDG_CONFIG_HOME", QStringLiteral(".config")),
            folderFromEnvironment("XDG_DATA_HOME", QStringLiteral(".local/share")), dataDirs};
}

FreedesktopAssociationStore::FreedesktopAssociationStore(DesktopFolders folders,
                                                         QString programPath)
    : folders_(std::move(folders)), programPath_(std::move(programPath)) {}

QString FreedesktopAssociationStore::mimeAppsPath() const {
    return folders_.configHome + QStringLiteral("/mimeapps.list");
}
QString FreedesktopAssociationStore::backupPath() const {
    return folders_.dataHome + QStringLiteral("/veskmidi/previous-defaults.list");
}
QString FreedesktopAssociationStore::desktopEntryPath() const {
    return folders_.dataHome + QStringLiteral("/applications/") + PlayerDesktopId;
}
QString FreedesktopAssociationStore::mimePackagePath() const {
    return folders_.dataHome + QStringLiteral("/mime/packages/veskmidi.xml");
}

std::optional<MimeAppsList> FreedesktopAssociationStore::load(const QString& path) const {
    QFileInfo info(path);
    if (!info.exists()) {
        return MimeAppsList{};
    }
    if (!info.isFile() || info.size() > MaxListBytes) {
        qCWarning(lcOptions) << path << "is not a list the player can read";
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcOptions) << "cannot read" << path << file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxListBytes + 1);
    if (bytes.size() > MaxListBytes || file.error() != QFile::NoError) {
        return std::nullopt;
    }
    return MimeAppsList::parse(bytes);
}

bool FreedesktopAssociationStore::save(const QString& path, const MimeAppsList& list) const {
    return writeFile(path, list.serialize());
}

bool FreedesktopAssociationStore::setEntry(const QString& path, const QString& group,
                                           const QString& key, const QString& text) {
    std::optional<MimeAppsList> list = load(path);
    if (!list) {
        return false;
    }
    if (list->value(group, key) == text) {
        return true;
    }
    list->setValue(group, key, text);
    return save(path, *list);
}

bool FreedesktopAssociationStore::removeEntry(const QString& path, const QString& group,
                                              const QString& key) {
    std::optional<MimeAppsList> list = load(path);
    if (!list) {
        return false;
    }
    if (!list->remove(group, key)) {
        return false;
    }
    return save(path, *list);
}

QString FreedesktopAssociationStore::readValue(const QString& key, const QString& name) {
    if (isExtensionKey(key)) {
        if (!name.isEmpty() || key.size() < 2) {
            return {};
        }
        QMimeDatabase db;
        const QMimeType type =
            db.mimeTypeForFile(QStringLiteral("file") + key, QMimeDatabase::MatchExtension);
        return type.isDefault() ? QString() : type.name();
    }
    if (!isTypeKey(key)) {
        return {};
    }
    const bool backup = name == QLatin1String(BackupEntry);
    const QString group = backup ? QString::fromLatin1(BackupGroup) : groupOf(name);
    if (group.isEmpty()) {
        return {};
    }
    const std::optional<MimeAppsList> list = load(backup ? backupPath() : mimeAppsPath());
    if (!list) {
        return {};
    }
    return list->value(group, key).value_or(QString());
}

bool FreedesktopAssociationStore::writeValue(const QString& key, const QString& name,
                                             const QString& text) {
    if (!isTypeKey(key) || text.contains(u'\n') || text.contains(u'\r')) {
        return false;
    }
    if (name == QLatin1String(BackupEntry)) {
        return setEntry(backupPath(), QString::fromLatin1(BackupGroup), key, text);
    }
    const QString group = groupOf(name);
    if (group.isEmpty()) {
        return false;
    }
    // An empty list is no entry at all; an "audio/midi=" line would only confuse readers.
    if (splitDesktopList(text).isEmpty()) {
        std::optional<MimeAppsList> list = load(mimeAppsPath());
        if (!list) {
            return false;
        }
        return !list->remove(group, key) || save(mimeAppsPath(), *list);
    }
    return setEntry(mimeAppsPath(), group, key, text);
}

bool FreedesktopAssociationStore::removeValue(const QString& key, const QString& name) {
    if (!isTypeKey(key)) {
        return false;
    }
    if (name == QLatin1String(BackupEntry)) {
        return removeEntry(backupPath(), QString::fromLatin1(BackupGroup), key);
    }
    if (!name.isEmpty()) {
        const QString group = groupOf(name);
        return !group.isEmpty() && removeEntry(mimeAppsPath(), group, key);
    }
    // The whole key: its default and its backup. Either may be missing already; the key
    // counts as deleted when nothing of it is left.
    std::optional<MimeAppsList> list = load(mimeAppsPath());
    std::optional<MimeAppsList> backups = load(backupPath());
    if (!list || !backups) {
        return false;
    }
    const bool hadDefault = list->remove(QString::fromLatin1(DefaultApplicationsGroup), key);
    const bool hadBackup = backups->remove(QString::fromLatin1(BackupGroup), key);
    bool ok = hadDefault || hadBackup;
    if (hadDefault) {
        ok = save(mimeAppsPath(), *list) && ok;
    }
    if (hadBackup) {
        ok = save(backupPath(), *backups) && ok;
    }
    return ok;
}

bool FreedesktopAssociationStore::applicationInstalled() {
    // An installed player's entry and types serve; the user gets no second copy of them.
    QStringList dataFolders = folders_.dataDirs;
    dataFolders.prepend(folders_.dataHome);
    for (const QString& folder : dataFolders) {
        if (QFileInfo(folder + QStringLiteral("/applications/") + PlayerDesktopId).isFile() &&
            QFileInfo(folder + QStringLiteral("/mime/packages/veskmidi.xml")).isFile()) {
            return true;
        }
    }
    return false;
}

bool FreedesktopAssociationStore::installApplication() {
    const QString icons = folders_.dataHome + QStringLiteral("/icons/hicolor/scalable/");
    bool ok = writeFile(icons + QStringLiteral("apps/") + AppIconName + QStringLiteral(".svg"),
                        appIconSvg());
    for (const NamedIcon& icon : documentIcons()) {
        ok = writeFile(icons + QStringLiteral("mimetypes/") + icon.name + QStringLiteral(".svg"),
                       icon.svg) &&
             ok;
    }
    ok = writeFile(mimePackagePath(), mimePackage()) && ok;
    // The entry comes last: it is what marks the installation as done.
    ok = writeFile(desktopEntryPath(), desktopEntry(programPath_)) && ok;
    refreshCaches();
    return ok;
}

void FreedesktopAssociationStore::refreshCaches() const {
    runTool(QStringLiteral("update-mime-database"), {folders_.dataHome + QStringLiteral("/mime")});
    runTool(QStringLiteral("update-desktop-database"),
            {folders_.dataHome + QStringLiteral("/applications")});
}

}  // namespace vesk::platform::desktop
