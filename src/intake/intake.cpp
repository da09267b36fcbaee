#include "intake/intake.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSet>
#include <algorithm>
#include <array>

#include "engine/smf_info.h"
#include "intake/multi_list.h"
#include "intake/path_text.h"
#include "intake/rcp/convert_rcp.h"
#include "platform/file_path.h"
#include "platform/text_codec.h"

Q_LOGGING_CATEGORY(lcIntake, "vesk.intake")

namespace vesk::intake {
namespace {

using platform::MessageIcon;

// Longer lines of a list file are taken in pieces of this size: no real path is that
// long, and it bounds what one line can cost.
constexpr qint64 kMaxListLine = 32768;

QString withSlash(const QString& folder) {
    return folder.endsWith(PathSeparator) ? folder : folder + PathSeparator;
}

// Lists from the Windows version separate folders with "\". A line that holds no "/" is
// taken to be such a path; one that does is a path of this system and kept as it is.
QString fromListPath(QString text) {
    if (!text.contains(u'/')) {
        text.replace(u'\\', u'/');
    }
    return text;
}

// "a//b" names the same file as "a/b". Kept doubled (a base written with its separator,
// "APP /", or a name that starts with one), it would leave a container ending in "/",
// and a saved line starting with "//" reads back as a comment.
QString singleSeparators(const QString& path) {
    QString out;
    out.reserve(path.size());
    for (const QChar c : path) {
        if (c != PathSeparator || !out.endsWith(PathSeparator)) {
            out.append(c);
        }
    }
    return out;
}

QByteArray trimSpaces(const QByteArray& bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && bytes[begin] == ' ') {
        ++begin;
    }
    while (end > begin && bytes[end - 1] == ' ') {
        --end;
    }
    return bytes.sliced(begin, end - begin);
}

QByteArray withoutLineEnd(QByteArray raw) {
    while (raw.endsWith('\n') || raw.endsWith('\r')) {
        raw.chop(1);
    }
    return raw;
}

// A list line's bytes: the part before a NUL (no path holds one, and GetFolder would
// take one for a multi-selection's end), without the spaces around it.
QByteArray listLineBytes(QByteArray raw) {
    if (const qsizetype nul = raw.indexOf('\0'); nul >= 0) {
        raw.truncate(nul);
    }
    return trimSpaces(raw);
}

bool byName(const QString& a, const QString& b) {
    const int order = QString::compare(a, b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

}  // namespace

QString songTitle(const QString& path) {
    const engine::SmfInfo info = engine::readSmfFile(path);
    return info.errorCode == engine::kSmfOk ? info.title : QString();
}

Intake::Intake(const config::ModuleState& module, const config::Settings& settings,
               ArchiveExtractor& extractor, IntakeReporter& reporter, TitleFunction title)
    : module_(module),
      settings_(settings),
      extractor_(extractor),
      reporter_(reporter),
      title_(std::move(title)) {}

std::vector<SongEntry> Intake::addFiles(const QString& selection) {
    std::vector<SongEntry> out;
    const qsizetype nul = selection.indexOf(QChar(0));
    if (nul < 0) {
        addFileByType(selection, getFolder(selection), out);
        return out;
    }
    const QString folder = selection.left(nul);
    const QStringList names = selection.mid(nul + 1).split(QChar(0), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        addFileByType(folder + PathSeparator + name, folder, out);
    }
    return out;
}

std::vector<SongEntry> Intake::addFolder(const QString& folder, const QString& container) {
    std::vector<SongEntry> out;
    scanFolder(folder, container, nullptr, out);
    return out;
}

std::vector<SongEntry> Intake::addFileByType(const QString& path, const QString& container) {
    std::vector<SongEntry> out;
    addFileByType(path, container, out);
    return out;
}

std::vector<SongEntry> Intake::addArchive(const QString& archive) {
    std::vector<SongEntry> out;
    addArchive(archive, out);
    return out;
}

std::vector<SongEntry> Intake::readMultiList(const QString& path) {
    std::vector<SongEntry> out;
    readMultiList(path, out);
    return out;
}

void Intake::addFileByType(const QString& path, const QString& container,
                           std::vector<SongEntry>& out) {
    const QString kind = path.right(3).toUpper();
    if (kind == u"MID" || kind == u"RMI") {
        addSong(SongEntry{getFileName(path), container, title_(path)}, out);
    } else if (kind == u"G36" || kind == u"G18" || kind == u"RCP" || kind == u"R36" ||
               kind == u"R18") {
        addRecomposer(path, container, out);
    } else if (kind == u"LZH") {
        if (module_.haveLzhReader || settings_.useLhasa) {
            addArchive(path, out);
        } else {
            reporter_.showMessage(QString::fromUtf8(NeedLzhText), MessageIcon::Information);
        }
    } else if (kind == u"ZIP") {
        if (module_.haveZipReader || settings_.useLhasa) {
            addArchive(path, out);
        } else {
            reporter_.showMessage(QString::fromUtf8(NeedZipText), MessageIcon::Information);
        }
    } else if (kind == u"RAR") {
        if (module_.haveRarReader) {
            addArchive(path, out);
        } else {
            reporter_.showMessage(QString::fromUtf8(NeedRarText), MessageIcon::Information);
        }
    } else if (kind == u"MLT") {
        readMultiList(path, out);
    } else {
        reporter_.showMessage(u'"' + platform::displayPath(path) + QStringLiteral("\"\r\n") +
                                  QString::fromUtf8(UnsupportedText),
                              MessageIcon::Critical);
    }
}

void Intake::addSong(SongEntry entry, std::vector<SongEntry>& out) {
    reporter_.showEntry(entry);
    reporter_.processEvents();
    out.push_back(std::move(entry));
}

void Intake::addRecomposer(const QString& path, const QString& container,
                           std::vector<SongEntry>& out) {
    if (!module_.haveRcpConverter) {
        return;
    }
    const QString converted = convertRcp(path, module_.workFolder);
    if (converted.isEmpty()) {
        reporter_.showMessage(QString::fromUtf8(ConvertFailedText), MessageIcon::Critical);
        return;
    }
    addSong(SongEntry{getFileName(path), container, title_(module_.workFolder + converted)}, out);
}

void Intake::addArchive(const QString& archive, std::vector<SongEntry>& out) {
    QString patterns = QStringLiteral("*.mid *.rmi *.txt *.doc");
    if (module_.haveRcpConverter) {
        patterns += QStringLiteral(" *.rcp *.r36 *.r18 *.g36 *.g18");
    }
    const ExtractOutcome outcome = extractor_.extractArchive(archive, patterns, reporter_);
    if (outcome.folder.isEmpty()) {
        return;
    }
    // Only what this extraction wrote is looked at and removed again: a member of the same
    // archive being played is neither listed twice nor deleted under the player.
    QStringList topLevel;
    for (const QString& written : outcome.written) {
        const QString rest = written.mid(outcome.folder.size());
        if (written.startsWith(outcome.folder) && !rest.contains(PathSeparator)) {
            topLevel.append(rest);
        }
    }
    if (!topLevel.isEmpty()) {
        const std::size_t first = out.size();
        scanFolder(outcome.folder, archive, &topLevel, out);
        for (std::size_t i = first; i < out.size(); ++i) {
            out[i].source = archive;
        }
    }
    for (const QString& written : outcome.written) {
        QFile::remove(written);
    }
    for (auto folder = outcome.createdFolders.crbegin(); folder != outcome.createdFolders.crend();
         ++folder) {
        QDir().rmdir(*folder);
    }
    // Left only when it still holds something.
    QDir().rmdir(outcome.folder);
}

void Intake::scanFolder(const QString& folder, const QString& container,
                        const QStringList* onlyNames, std::vector<SongEntry>& out) {
    const QString dir = withSlash(folder);
    QStringList names = platform::regularFileNames(dir);
    if (onlyNames != nullptr) {
        const QSet<QString> only(onlyNames->cbegin(), onlyNames->cend());
        names.removeIf([&only](const QString& name) { return !only.contains(name); });
    }
    static constexpr std::array<QStringView, 5> kPatterns{u".mid", u".rmi", u".lzh", u".zip",
                                                          u".mlt"};
    QStringList collected;
    for (QStringView suffix : kPatterns) {
        QStringList matches;
        for (const QString& name : names) {
            if (name.endsWith(suffix, Qt::CaseInsensitive)) {
                matches.append(name);
            }
        }
        std::sort(matches.begin(), matches.end(), byName);
        collected += matches;
    }
    if (collected.isEmpty()) {
        reporter_.showMessage(QString::fromUtf8(NoSupportedFilesText), MessageIcon::Critical);
        return;
    }
    // Progress counts the names of the outermost scan; the scans of archives inside it
    // are part of one of its steps.
    const bool outermost = scanDepth_ == 0;
    ++scanDepth_;
    const auto total = static_cast<int>(collected.size());
    for (int i = 0; i < total; ++i) {
        addFileByType(dir + collected[i], container, out);
        if (outermost) {
            reporter_.progress(i + 1, total);
        }
    }
    --scanDepth_;
}

QString Intake::memberTitle(const QString& container, const QString& name) {
    const QString tail = container.right(4).toUpper();
    bool extract = false;
    if (tail == u".LZH") {
        extract = module_.haveLzhReader || settings_.useLhasa;
    } else if (tail == u".ZIP") {
        extract = module_.haveZipReader || settings_.useLhasa;
    } else if (tail == u".RAR") {
        extract = module_.haveRarReader;
    }
    if (extract) {
        extractor_.extractListedMember(container, name, reporter_);
    }
    return title_(archiveFolder(module_.workFolder, container) + name);
}

void Intake::readMultiList(const QString& path, std::vector<SongEntry>& out) {
    const platform::FileDescriptor fd = platform::openPath(path, O_RDONLY | O_NONBLOCK);
    struct stat info {};
    QFile file;
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        // Nothing to read: the list adds nothing, like an empty one.
        qCWarning(lcIntake) << "cannot read the list" << platform::displayPath(path);
        return;
    }
    QByteArray first = file.readLine(kMaxListLine);
    if (first.startsWith("\xEF\xBB\xBF")) {
        first.remove(0, 3);
    }
    const QString header = platform::decodeNarrow(withoutLineEnd(first));
    if (header.compare(QLatin1String(MultiListHeader), Qt::CaseInsensitive) != 0 &&
        header.compare(QLatin1String(OldMultiListHeader), Qt::CaseInsensitive) != 0) {
        reporter_.showMessage(
            platform::displayPath(path) + QStringLiteral("\r\n") + QString::fromUtf8(NotAListText),
            MessageIcon::Critical);
        return;
    }
    QString base;
    bool inBlock = false;
    bool systemBase = false;
    int tooLong = 0;
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine(kMaxListLine);
        if (!bytes.endsWith('\n') && !file.atEnd()) {
            // Longer than any path: the whole line is left out, not cut into entries.
            while (!file.atEnd() && !file.readLine(kMaxListLine).endsWith('\n')) {
            }
            ++tooLong;
            continue;
        }
        // A line of this system (it holds a "/", or it is a name in a block whose base
        // does) keeps its bytes, so a name of any bytes reads back as the same file. A line
        // of the Windows version is text, UTF-8 or CP932: decoded first, so that a CP932
        // character whose second byte is that of "\" is not taken for a separator.
        const QByteArray raw = listLineBytes(withoutLineEnd(bytes));
        const bool systemLine = (inBlock && systemBase) || raw.contains('/');
        const QString line =
            systemLine ? platform::pathFromBytes(raw) : platform::decodeNarrow(raw);
        if (line.startsWith(QStringLiteral("//"))) {
            continue;
        }
        if (line.left(4).toUpper() == u"APP ") {
            base = line.mid(4);
            // Lists of this program name their blocks by full path; "HERE" is the
            // Windows version's, whose names are text.
            systemBase = base.contains(u'/');
            base = base.toUpper() == u"HERE" ? getFolder(path) : fromListPath(base);
            inBlock = true;
            continue;
        }
        if (line.toUpper() == u"END APP") {
            base.clear();
            inBlock = false;
            continue;
        }
        QString song = systemLine ? line : fromListPath(line);
        if (inBlock) {
            song = base + PathSeparator + song;
        }
        song = singleSeparators(song);
        SongEntry entry{getFileName(song), getFolder(song), QString(), path};
        entry.title =
            isArchiveMember(entry) ? memberTitle(entry.container, entry.name) : title_(song);
        reporter_.showEntry(entry);
        out.push_back(std::move(entry));
    }
    if (tooLong > 0) {
        qCWarning(lcIntake) << tooLong << "over-long lines left out of" << path;
        reporter_.showMessage(platform::displayPath(path) + QStringLiteral("\r\n") +
                                  QStringLiteral("長すぎる %1 行を読み飛ばしました。").arg(tooLong),
                              MessageIcon::Exclamation);
    }
}

QString openFilesFilter(const config::ModuleState& module, const config::Settings& settings) {
    QString first = QStringLiteral("対応ﾌｧｲﾙ|*.mid;*.rmi;*.mlt");
    QString second = QStringLiteral("|MIDIﾌｧｲﾙ (*.MID *.RMI)|*.mid;*.rmi");
    if (module.haveRcpConverter) {
        first += QStringLiteral(";*.RCP;*.R18;*.R36;*.G18;*.G36");
        second += QStringLiteral(
            "|ﾚｺﾝﾎﾟｰｻﾞﾌｧｲﾙ (*.RCP *.R18 *.R36 *.G18 *.G36)|*.RCP;*.R18;*.R36;*.G18;*.G36");
    }
    if (module.haveLzhReader || settings.useLhasa) {
        first += QStringLiteral(";*.LZH");
        second += QStringLiteral("|LHAｱｰｶｲﾌﾞ (*.LZH)|*.LZH");
    }
    if (module.haveZipReader || settings.useLhasa) {
        first += QStringLiteral(";*.ZIP");
        second += QStringLiteral("|ZIPｱｰｶｲﾌﾞ (*.ZIP)|*.ZIP");
    }
    if (module.haveRarReader) {
        first += QStringLiteral(";*.RAR");
        second += QStringLiteral("|RARｱｰｶｲﾌﾞ (*.RAR)|*.RAR");
    }
    first += QStringLiteral(";*.MLT");
    second += QStringLiteral("|ﾏﾙﾁﾘｽﾄﾌｧｲﾙ (*.MLT)|*.MLT");
    return first + second;
}

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters.append(parts[i] + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

}  // namespace vesk::intake
