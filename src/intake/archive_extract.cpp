#include "intake/archive_extract.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#include "intake/archive_probe.h"
#include "intake/member_filter.h"
#include "platform/file_path.h"
#include "platform/posix_file.h"
#include "platform/text_codec.h"

Q_LOGGING_CATEGORY(lcArchive, "vesk.intake.archive")

namespace vesk::intake {
namespace {

// RAR message codes.
constexpr int kNoMemory = 11;
constexpr int kHeaderBroken = 12;
constexpr int kNotRar = 13;
constexpr int kUnknownFormat = 14;
constexpr int kCannotOpen = 15;
constexpr int kCreateError = 16;
constexpr int kCloseError = 17;
constexpr int kReadError = 18;
constexpr int kWriteError = 19;

// libarchive converts member names into the charset of the calling thread's locale, which
// may be plain ASCII; reading under a UTF-8 locale makes the conversions lossless. The
// locale is the calling thread's only and is restored on leaving.
class Utf8ThreadLocale {
  public:
    Utf8ThreadLocale() {
        locale_ = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (locale_ == static_cast<locale_t>(nullptr)) {
            qCWarning(lcArchive) << "no C.UTF-8 locale; member names follow the current locale";
            return;
        }
        previous_ = uselocale(locale_);
    }
    ~Utf8ThreadLocale() {
        if (locale_ != static_cast<locale_t>(nullptr)) {
            uselocale(previous_);
            freelocale(locale_);
        }
    }
    Utf8ThreadLocale(const Utf8ThreadLocale&) = delete;
    Utf8ThreadLocale& operator=(const Utf8ThreadLocale&) = delete;

  private:
    locale_t locale_ = static_cast<locale_t>(nullptr);
    locale_t previous_ = static_cast<locale_t>(nullptr);
};

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchiveHandle = std::unique_ptr<archive, ArchiveFree>;

// Every system call of the writer goes through here: -1 is logged with its errno.
int sysCall(int result, const char* what, const QString& path) {
    if (result == -1) {
        qCWarning(lcArchive) << what << path << std::strerror(errno);
    }
    return result;
}

bool writeAll(int fd, const char* data, std::size_t size, const QString& path) {
    return sysCall(platform::writeAll(fd, data, size) ? 0 : -1, "write", path) == 0;
}

// CP932 lead bytes; RAR's reader turns every "\" byte into "/", also the second byte of
// a double-byte character, and a lead byte followed by "/" can only come from that.
bool isCp932Lead(std::uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// A name as bytes (RAR, LZH): UTF-8 when it is valid UTF-8, otherwise CP932, where a
// trail byte 0x5C that the reader took for a separator is given back.
QString decodeNarrowName(QByteArray raw) {
    if (platform::isValidUtf8(raw)) {
        return QString::fromUtf8(raw);
    }
    for (qsizetype i = 0; i + 1 < raw.size(); ++i) {
        if (isCp932Lead(static_cast<std::uint8_t>(raw[i]))) {
            if (raw[i + 1] == '/') {
                raw[i + 1] = '\\';
            }
            ++i;
        }
    }
    return platform::decodeCp932(raw);
}

enum class Step { Member, End, Damaged };

// One archive opened for reading, member by member.
class MemberReader {
  public:
    MemberReader(const QString& path, ArchiveKind kind) : path_(path), kind_(kind) {}

    // 0, or the RAR code of the failure.
    int open() {
        if (!platform::isRegularFile(path_)) {
            return kCannotOpen;
        }
        reader_.reset(archive_read_new());
        if (!reader_) {
            return kNoMemory;
        }
        archive* a = reader_.get();
        int rc = ARCHIVE_OK;
        switch (kind_) {
            case ArchiveKind::Lzh:
                rc = archive_read_support_format_lha(a);
                if (rc == ARCHIVE_OK) {
                    // Names come through as their bytes (Latin-1 maps each byte to one
                    // character) and are decoded here: a name CP932 cannot convert would
                    // make the reader give up on the whole rest of the archive.
                    rc = archive_read_set_options(a, "lha:hdrcharset=ISO-8859-1");
                }
                break;
            case ArchiveKind::Zip:
                // The streaming reader tells where each local header starts, which is
                // where a name it cannot convert is read from.
                rc = archive_read_support_format_zip_streamable(a);
                break;
            case ArchiveKind::Rar:
                rc = archive_read_support_format_rar(a);
                if (rc == ARCHIVE_OK) {
                    rc = archive_read_support_format_rar5(a);
                }
                break;
            case ArchiveKind::None:
                return kUnknownFormat;
        }
        if (!ok(rc, "reader set-up")) {
            return kUnknownFormat;
        }
        if (!ok(archive_read_open_filename(a, platform::pathBytes(path_).constData(), 65536),
                "open")) {
            // Opening also reads the start of the archive to recognise its format.
            if (archive_errno(a) == ENOMEM) {
                return kNoMemory;
            }
            QFile file(path_);
            if (!file.open(QIODevice::ReadOnly)) {
                return kCannotOpen;
            }
            return file.read(6) == QByteArray("Rar!\x1A\x07", 6) ? kHeaderBroken : kNotRar;
        }
        return 0;
    }

    Step next() {
        const int rc = archive_read_next_header(reader_.get(), &entry_);
        if (rc == ARCHIVE_EOF) {
            return Step::End;
        }
        if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) {
            ok(rc, "member header");
            return Step::Damaged;
        }
        return Step::Member;
    }

    int lastErrno() const { return archive_errno(reader_.get()); }

    // The member's name as text; empty when it has none that can be read.
    QString name() {
        const char* raw = archive_entry_pathname(entry_);
        switch (kind_) {
            case ArchiveKind::Lzh:
                return raw != nullptr ? decodeNarrowName(QString::fromUtf8(raw).toLatin1())
                                      : QString();
            case ArchiveKind::Zip:
                return platform::decodeNarrow(raw != nullptr ? QByteArray(raw) : zipLocalName());
            case ArchiveKind::Rar:
                return raw != nullptr ? decodeNarrowName(QByteArray(raw)) : QString();
            case ArchiveKind::None:
                break;
        }
        return {};
    }

    bool isRegularFile() const {
        return archive_entry_filetype(entry_) == AE_IFREG &&
               archive_entry_hardlink(entry_) == nullptr;
    }
    bool isFolder() const { return archive_entry_filetype(entry_) == AE_IFDIR; }

    archive* handle() const { return reader_.get(); }

  private:
    bool ok(int rc, const char* what) const {
        if (rc == ARCHIVE_OK || rc == ARCHIVE_WARN) {
            return true;
        }
        const char* text = reader_ ? archive_error_string(reader_.get()) : nullptr;
        qCWarning(lcArchive) << what << path_ << (text != nullptr ? text : "");
        return false;
    }

    // A name flagged as UTF-8 whose bytes are not (CP932 names from some Japanese tools):
    // libarchive gives up on it, so the raw bytes come from the local header.
    QByteArray zipLocalName() {
        if (!localFile_.isOpen()) {
            localFile_.setFileName(path_);
            if (!localFile_.open(QIODevice::ReadOnly)) {
                return {};
            }
        }
        const la_int64_t at = archive_read_header_position(reader_.get());
        if (at < 0 || !localFile_.seek(at)) {
            return {};
        }
        const QByteArray header = localFile_.read(30);
        if (header.size() != 30 || !header.startsWith("PK\x03\x04")) {
            return {};
        }
        const int length =
            static_cast<std::uint8_t>(header[26]) | static_cast<std::uint8_t>(header[27]) << 8;
        return localFile_.read(length);
    }

    QString path_;
    ArchiveKind kind_;
    ArchiveHandle reader_;
    archive_entry* entry_ = nullptr;
    QFile localFile_;
};

// Makes `folder` (below the private work folder) or takes the real folder that is there;
// anything else standing in its place (a planted link) is refused.
bool makeOwnFolder(QString folder) {
    if (folder.endsWith(u'/')) {
        folder.chop(1);
    }
    const QByteArray native = platform::pathBytes(folder);
    struct stat info {};
    if (::lstat(native.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return true;
        }
        qCWarning(lcArchive) << "not a folder, nothing extracted into it:" << folder;
        return false;
    }
    if (!QDir().mkpath(QFileInfo(folder).absolutePath())) {
        qCWarning(lcArchive) << "cannot make the folder of" << folder;
        return false;
    }
    return sysCall(::mkdir(native.constData(), 0700), "mkdir", folder) == 0;
}

// Writes the current member below the destination folder.
class MemberWriter {
  public:
    MemberWriter(const QString& destination, const ExtractLimits& limits, ExtractOutcome& outcome)
        : destination_(destination), limits_(limits), outcome_(outcome) {}

    // 0, or the RAR code of the failure. `overLimit` tells that a size bound ended it.
    int write(archive* a, const QString& relative, bool& overLimit) {
        overLimit = false;
        QString target;
        if (!makeFolders(relative, target)) {
            return kCreateError;
        }
        const QByteArray native = QFile::encodeName(target);
        struct stat info {};
        if (::lstat(native.constData(), &info) == 0) {
            if (S_ISLNK(info.st_mode)) {
                if (sysCall(::unlink(native.constData()), "unlink", target) == -1) {
                    return kCreateError;
                }
            } else if (!S_ISREG(info.st_mode)) {
                qCWarning(lcArchive) << "not a file, left alone:" << target;
                return kCreateError;
            }
        }
        platform::FileDescriptor fd(sysCall(
            ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644),
            "open", target));
        if (!fd.valid()) {
            return kCreateError;
        }
        std::int64_t memberBytes = 0;
        char buffer[65536];
        for (;;) {
            const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
            if (n < 0) {
                const char* text = archive_error_string(a);
                qCWarning(lcArchive) << "member data" << target << (text != nullptr ? text : "");
                return discard(target, kReadError);
            }
            if (n == 0) {
                break;
            }
            memberBytes += n;
            archiveBytes_ += n;
            if (memberBytes > limits_.memberBytes || archiveBytes_ > limits_.archiveBytes) {
                qCWarning(lcArchive) << "size bound reached, member removed:" << target;
                overLimit = true;
                return discard(target, kWriteError);
            }
            if (!writeAll(fd.get(), buffer, static_cast<std::size_t>(n), target)) {
                return discard(target, kWriteError);
            }
        }
        if (sysCall(fd.close(), "close", target) == -1) {
            return discard(target, kCloseError);
        }
        outcome_.written.append(target);
        return 0;
    }

  private:
    // Makes the member's folders below the destination, refusing to pass through
    // anything that is not a real folder (a link planted there could lead elsewhere).
    bool makeFolders(const QString& relative, QString& target) {
        if (!makeOwnFolder(destination_)) {
            return false;
        }
        const QStringList parts = relative.split(u'/');
        QString current = destination_;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            current += parts[i];
            const QByteArray native = QFile::encodeName(current);
            struct stat info {};
            if (::lstat(native.constData(), &info) == 0) {
                if (!S_ISDIR(info.st_mode)) {
                    qCWarning(lcArchive) << "not a folder:" << current;
                    return false;
                }
            } else {
                if (sysCall(::mkdir(native.constData(), 0755), "mkdir", current) == -1) {
                    return false;
                }
                outcome_.createdFolders.append(current);
            }
            current += u'/';
        }
        target = current + parts.last();
        return true;
    }

    int discard(const QString& target, int code) {
        sysCall(::unlink(QFile::encodeName(target).constData()), "unlink", target);
        // An earlier member of the same name was written to this very file.
        outcome_.written.removeAll(target);
        return code;
    }

    QString destination_;
    const ExtractLimits& limits_;
    ExtractOutcome& outcome_;
    std::int64_t archiveBytes_ = 0;
};

QString withSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// Members that were left out are told once per archive; the log has each one.
void tellRefused(const ExtractOutcome& outcome, const QString& archive, IntakeReporter& reporter) {
    if (outcome.refused > 0) {
        reporter.showMessage(
            QStringLiteral("%1 の %2 個のファイルは取り出しませんでした（安全でない名前、リンク、"
                           "または大きすぎるファイル）。")
                .arg(QFileInfo(archive).fileName())
                .arg(outcome.refused),
            platform::MessageIcon::Exclamation);
    }
}

// One line of the external archiver's listing: permissions, owner, size, ratio, date, name.
struct ListedMember {
    QString name;
    std::int64_t size = 0;
    bool regular = false;
};

std::vector<ListedMember> parseLhasaListing(const QByteArray& listing) {
    // Latin-1 keeps each byte of a name as one character until it is decoded below.
    static const QRegularExpression line(QStringLiteral(
        R"(^(\S+)\s.*?(\d+) +\S+ +[A-Z][a-z]{2} [ \d]\d (?: \d{4}|\d\d:\d\d) (.+)$)"));
    std::vector<ListedMember> members;
    for (const QByteArray& bytes : listing.split('\n')) {
        const QRegularExpressionMatch match = line.match(QString::fromLatin1(bytes));
        if (!match.hasMatch()) {
            continue;
        }
        const QString permissions = match.captured(1);
        const QByteArray raw = match.captured(3).toLatin1();
        ListedMember member;
        // As bytes: the archiver is given the name it printed, and writes it as such.
        member.name = platform::pathFromBytes(raw);
        member.size = match.captured(2).toLongLong();
        // An LZH link is stored as "name|target"; folders end in "/".
        member.regular = (permissions.startsWith(u'-') || permissions.startsWith(u'[')) &&
                         !raw.contains('|') && !raw.endsWith('/');
        members.push_back(std::move(member));
    }
    return members;
}

}  // namespace

QString archiveFolder(const QString& workFolder, const QString& archive) {
    const QByteArray digest =
        QCryptographicHash::hash(platform::pathBytes(archive), QCryptographicHash::Sha1);
    // Neither the hand-off folder's nor the lock's name; 64 bits keep archives apart.
    return withSlash(workFolder) + QLatin1String(ArchiveFolderPrefix) +
           QString::fromLatin1(digest.toHex().left(16)) + u'/';
}

QString rarErrorText(int code, const QString& archiveName) {
    switch (code) {
        case kNoMemory:
            return QStringLiteral("Not enough memory");
        case kHeaderBroken:
            return archiveName + QStringLiteral(": archive header broken");
        case kNotRar:
            return archiveName + QStringLiteral(" is not RAR archive");
        case kUnknownFormat:
            return QStringLiteral("Unknown archive format");
        case kCannotOpen:
            return QStringLiteral("Cannot open ") + archiveName;
        case kCreateError:
            return QStringLiteral("File create error");
        case kCloseError:
            return QStringLiteral("File close error");
        case kReadError:
            return QStringLiteral("Read error");
        case kWriteError:
            return QStringLiteral("Write error");
        default:
            return {};
    }
}

ArchiveExtractor::ArchiveExtractor(const config::ModuleState& module,
                                   const config::Settings& settings, ExtractLimits limits)
    : module_(module), settings_(settings), limits_(limits) {}

void ArchiveExtractor::showRarError(int code, const QString& archiveName,
                                    IntakeReporter& reporter) {
    reporter.showMessage(rarErrorText(code, archiveName), platform::MessageIcon::Exclamation,
                         QStringLiteral("Error"));
}

ExtractOutcome ArchiveExtractor::extractArchive(const QString& archive, const QString& patterns,
                                                IntakeReporter& reporter) {
    switch (archiveKindOf(archive)) {
        case ArchiveKind::Lzh:
            if (module_.haveLzhReader) {
                return extractLibrary(archive, patterns, reporter, false);
            }
            break;
        case ArchiveKind::Zip:
            if (module_.haveZipReader) {
                return extractLibrary(archive, patterns, reporter, true);
            }
            break;
        case ArchiveKind::Rar:
            if (module_.haveRarReader && !module_.workFolder.isEmpty()) {
                return extractRar(archive, archiveFolder(module_.workFolder, archive), patterns,
                                  reporter);
            }
            return {};
        case ArchiveKind::None:
            return {};
    }
    if (settings_.useLhasa) {
        return runLhasa(archive, patterns, reporter);
    }
    return {};
}

ExtractOutcome ArchiveExtractor::extractListedMember(const QString& archive, const QString& member,
                                                     IntakeReporter& reporter) {
    static constexpr std::array<QStringView, 7> SongSuffixes{u".mid", u".rmi", u".rcp", u".r36",
                                                             u".r18", u".g36", u".g18"};
    const bool song = std::any_of(SongSuffixes.begin(), SongSuffixes.end(), [&](QStringView s) {
        return member.endsWith(s, Qt::CaseInsensitive);
    });
    if (!song || member.contains(u'*') || member.contains(u'?')) {
        qCWarning(lcArchive) << "a list names" << member << "in" << archive
                             << "- not one song; nothing extracted";
        return {};
    }
    return extractArchive(archive, member, reporter);
}

ExtractOutcome ArchiveExtractor::extractLibrary(const QString& archive, const QString& patterns,
                                                IntakeReporter& reporter, bool zip) {
    ExtractOutcome outcome;
    if (module_.workFolder.isEmpty()) {
        qCWarning(lcArchive) << "no work folder to extract into";
        return outcome;
    }
    const Utf8ThreadLocale utf8;
    MemberReader reader(archive, zip ? ArchiveKind::Zip : ArchiveKind::Lzh);
    if (reader.open() != 0) {
        return outcome;
    }
    outcome.folder = archiveFolder(module_.workFolder, archive);
    MemberWriter writer(outcome.folder, limits_, outcome);
    while (reader.next() == Step::Member) {
        if (reader.isFolder()) {
            continue;
        }
        const QString name = reader.name();
        if (name.isEmpty()) {
            qCWarning(lcArchive) << "member with an unreadable name skipped in" << archive;
            ++outcome.refused;
            continue;
        }
        const std::optional<QString> relative = safeRelativePath(name);
        if (!wantedByPatterns(relative.value_or(name), patterns)) {
            continue;
        }
        if (!relative || !reader.isRegularFile()) {
            qCWarning(lcArchive) << "member refused:" << name << "in" << archive;
            ++outcome.refused;
            continue;
        }
        bool overLimit = false;
        if (writer.write(reader.handle(), *relative, overLimit) != 0) {
            ++outcome.refused;
        }
        if (overLimit) {
            break;
        }
    }
    tellRefused(outcome, archive, reporter);
    return outcome;
}

ExtractOutcome ArchiveExtractor::extractRar(const QString& archive, const QString& destination,
                                            const QString& patterns, IntakeReporter& reporter) {
    ExtractOutcome outcome;
    const Utf8ThreadLocale utf8;
    MemberReader reader(archive, ArchiveKind::Rar);
    if (const int failed = reader.open(); failed != 0) {
        showRarError(failed, archive, reporter);
        return outcome;
    }
    if (destination.isEmpty()) {
        qCWarning(lcArchive) << "no work folder to extract into";
        return outcome;
    }
    outcome.folder = withSlash(destination);
    MemberWriter writer(outcome.folder, limits_, outcome);
    const bool single = isSingleMemberRequest(patterns);
    bool first = true;
    for (;;) {
        const Step step = reader.next();
        if (step == Step::Damaged && first) {
            // libarchive reads the archive header together with the first member's.
            showRarError(reader.lastErrno() == ENOMEM ? kNoMemory : kHeaderBroken, archive,
                         reporter);
            break;
        }
        first = false;
        if (step != Step::Member) {
            break;
        }
        const QString name = reader.name();
        const std::optional<QString> relative = safeRelativePath(name);
        if (!reader.isFolder() && !name.isEmpty() && rarWanted(relative.value_or(name), patterns)) {
            if (!relative || !reader.isRegularFile()) {
                qCWarning(lcArchive) << "member refused:" << name << "in" << archive;
                ++outcome.refused;
            } else {
                bool overLimit = false;
                if (const int failed = writer.write(reader.handle(), *relative, overLimit);
                    failed != 0) {
                    showRarError(failed, QString(), reporter);
                }
                if (overLimit || single) {
                    break;
                }
            }
        }
        reporter.processEvents();
    }
    tellRefused(outcome, archive, reporter);
    return outcome;
}

ExtractOutcome ArchiveExtractor::runLhasa(const QString& archive, const QString& patterns,
                                          IntakeReporter& reporter) {
    ExtractOutcome outcome;
    if (module_.workFolder.isEmpty()) {
        qCWarning(lcArchive) << "no work folder for the archiver";
        return outcome;
    }
    // The archiver lists first; only the members the library reader would take are then
    // named to it, so it never writes anything else.
    QByteArray listing;
    if (!runArchiver({QStringLiteral("-lq"), archive}, &listing)) {
        return outcome;
    }
    std::int64_t total = 0;
    QStringList wanted;
    for (const ListedMember& member : parseLhasaListing(listing)) {
        const std::optional<QString> relative = safeRelativePath(member.name);
        if (!wantedByPatterns(relative.value_or(member.name), patterns)) {
            continue;
        }
        total += member.size;
        // Names go to the archiver as UTF-8 arguments, which it matches as wildcards: a name
        // that is not UTF-8 cannot be named, one holding a wildcard would name others too.
        const bool nameable = relative && platform::isValidUtf8(platform::pathBytes(*relative)) &&
                              !relative->contains(u'*') && !relative->contains(u'?');
        if (!nameable || !member.regular || member.size > limits_.memberBytes ||
            total > limits_.archiveBytes) {
            qCWarning(lcArchive) << "member refused:" << member.name << "in" << archive;
            ++outcome.refused;
            continue;
        }
        wanted.append(*relative);
    }
    outcome.folder = archiveFolder(module_.workFolder, archive);
    if (!wanted.isEmpty() && makeOwnFolder(outcome.folder)) {
        QStringList folders;
        for (const QString& relative : wanted) {
            QString folder = outcome.folder;
            for (const QString& part : relative.split(u'/').mid(0, relative.count(u'/'))) {
                folder += part;
                if (!folders.contains(folder) && !QFileInfo::exists(folder)) {
                    folders.append(folder);
                }
                folder += u'/';
            }
        }
        runArchiver(QStringList{QStringLiteral("-xfq2w=") + outcome.folder, archive} + wanted,
                    nullptr);
        for (const QString& folder : folders) {
            if (QFileInfo(folder).isDir()) {
                outcome.createdFolders.append(folder);
            }
        }
        // Only regular files within the bounds are kept of what it wrote.
        for (const QString& relative : wanted) {
            const QString path = outcome.folder + relative;
            const QByteArray native = platform::pathBytes(path);
            struct stat info {};
            if (::lstat(native.constData(), &info) != 0) {
                continue;
            }
            if (!S_ISREG(info.st_mode) || info.st_size > limits_.memberBytes) {
                qCWarning(lcArchive) << "archiver output removed:" << path;
                ::unlink(native.constData());
                ++outcome.refused;
                continue;
            }
            if (!outcome.written.contains(path)) {
                outcome.written.append(path);
            }
        }
    }
    tellRefused(outcome, archive, reporter);
    return outcome;
}

bool ArchiveExtractor::runArchiver(const QStringList& arguments, QByteArray* output) const {
    QProcess lhasa;
    lhasa.setProgram(settings_.lhasaPath);
    lhasa.setArguments(arguments);
    if (output == nullptr) {
        lhasa.setStandardOutputFile(QProcess::nullDevice());
    }
    lhasa.setStandardErrorFile(QProcess::nullDevice());
    lhasa.start();
    if (!lhasa.waitForStarted()) {
        qCWarning(lcArchive) << "cannot start" << settings_.lhasaPath << lhasa.errorString();
        return false;
    }
    if (!lhasa.waitForFinished(limits_.archiverSeconds * 1000)) {
        qCWarning(lcArchive) << settings_.lhasaPath << "took too long and was stopped";
        lhasa.kill();
        lhasa.waitForFinished(5000);
        return false;
    }
    if (output != nullptr) {
        *output = lhasa.readAllStandardOutput();
    }
    return lhasa.exitStatus() == QProcess::NormalExit;
}

}  // namespace vesk::intake
