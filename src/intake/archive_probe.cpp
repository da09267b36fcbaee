#include "intake/archive_probe.h"

#include <archive.h>

#include <memory>

namespace vesk::intake {
namespace {

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};

QString libarchiveVersion() {
    const int number = archive_version_number();
    return QStringLiteral("%1.%2.%3")
        .arg(number / 1000000)
        .arg(number / 1000 % 1000)
        .arg(number % 1000);
}

std::optional<config::ComponentVersion> probe(int (*support)(archive*), const char* credit) {
    std::unique_ptr<archive, ArchiveFree> reader(archive_read_new());
    if (!reader || support(reader.get()) != ARCHIVE_OK) {
        return std::nullopt;
    }
    return config::ComponentVersion{libarchiveVersion(), QString::fromLatin1(credit)};
}

}  // namespace

ArchiveKind archiveKindOf(const QString& path) {
    const QString tail = path.right(3).toUpper();
    if (tail == u"LZH") {
        return ArchiveKind::Lzh;
    }
    if (tail == u"ZIP") {
        return ArchiveKind::Zip;
    }
    if (tail == u"RAR") {
        return ArchiveKind::Rar;
    }
    return ArchiveKind::None;
}

std::optional<config::ComponentVersion> probeLzhReader() {
    return probe(archive_read_support_format_lha, "libarchive");
}

std::optional<config::ComponentVersion> probeZipReader() {
    return probe(archive_read_support_format_zip, "libarchive");
}

std::optional<config::ComponentVersion> probeRarReader() {
    return probe(archive_read_support_format_rar, "libarchive");
}

}  // namespace vesk::intake
