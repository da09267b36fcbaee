// Multi-list files (".mlt") as the intake reads them. The reader only takes a path, so
// each input is written to a file first. Song titles are not read: the entries name
// arbitrary paths of this machine.
//
// A list the player saves must read back as the same entries, or saving it loses songs:
// the entries read from each input are saved and read again.

#include <QFile>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "intake/intake.h"
#include "intake/multi_list.h"
#include "platform/file_path.h"

using vesk::fuzz::require;

namespace {

class SilentReporter final : public vesk::intake::IntakeReporter {
  public:
    void showMessage(const QString&, vesk::platform::MessageIcon, const QString&) override {}
};

struct Rig {
    vesk::fuzz::Scratch scratch;
    vesk::config::ModuleState module;
    vesk::config::Settings settings;
    SilentReporter reporter;
    vesk::intake::ArchiveExtractor extractor{module, settings};
    vesk::intake::Intake intake{module, settings, extractor, reporter,
                                [](const QString&) { return QString(); }};

    Rig() { module.workFolder = scratch.path() + QStringLiteral("/work/"); }

    std::vector<vesk::intake::SongEntry> read(const QByteArray& bytes) {
        const QString path = scratch.file(QStringLiteral("list.mlt"));
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "write the list file");
        require(file.write(bytes) == bytes.size(), "write the list file");
        file.close();
        return intake.readMultiList(path);
    }
};

bool hasEdgeSpace(const QString& text) {
    return text.startsWith(u' ') || text.endsWith(u' ');
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

// Entries the format can hold at all. A file name that starts with "APP " or "//", or is
// "END APP", reads as a block line or a comment wherever it stands; spaces at either end
// are trimmed; a name with "\" but no "/" reads as a Windows path.
bool representable(const vesk::intake::SongEntry& e) {
    const QString& c = e.container;
    const QString& n = e.name;
    if (!c.isEmpty() && (!c.startsWith(u'/') || c.startsWith(QStringLiteral("//")) ||
                         hasEdgeSpace(c) || hasLineBreak(c) || c.contains(u'\\'))) {
        return false;
    }
    return !n.isEmpty() && !hasEdgeSpace(n) && !hasLineBreak(n) && !n.contains(u'\\') &&
           !n.startsWith(QStringLiteral("//")) &&
           !n.startsWith(QStringLiteral("APP "), Qt::CaseInsensitive) &&
           n.compare(QStringLiteral("END APP"), Qt::CaseInsensitive) != 0;
}

Rig& rig() {
    static Rig instance;
    return instance;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vesk::fuzz::quietLogging();
    rig();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vesk::intake;
    const QByteArray bytes = vesk::fuzz::bytesOf(data, size);
    const std::vector<SongEntry> entries = rig().read(bytes);
    require(entries.size() <= static_cast<std::size_t>(bytes.count('\n') + bytes.count('\r') + 1),
            "at most one entry per line");
    for (const SongEntry& e : entries) {
        require(!e.name.contains(u'/'), "an entry's name is a name, not a path");
    }
    if (entries.empty() || !std::all_of(entries.begin(), entries.end(), representable)) {
        return 0;
    }
    const std::vector<SongEntry> again =
        rig().read(vesk::platform::pathBytes(makeMltText(entries) + QStringLiteral("\r\n")));
    require(again.size() == entries.size(), "a saved list reads back with as many entries");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        require(again[i].name == entries[i].name && again[i].container == entries[i].container,
                "a saved list reads back with the same entries");
    }
    return 0;
}
