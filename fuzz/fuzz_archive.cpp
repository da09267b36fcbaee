// Archive extraction on arbitrary bytes: the first input byte picks the reader (ZIP, LZH,
// RAR), the rest is the archive. Whatever the archive holds, nothing may be written
// outside the work folder and no link may appear inside it.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "intake/archive_extract.h"

using vesk::fuzz::require;

namespace {

class SilentReporter final : public vesk::intake::IntakeReporter {
  public:
    void showMessage(const QString&, vesk::platform::MessageIcon, const QString&) override {}
};

struct Rig {
    vesk::fuzz::Scratch scratch;
    QString box;
    vesk::config::ModuleState module;
    vesk::config::Settings settings;
    SilentReporter reporter;
    // Small bounds keep each input quick; the bounds themselves are tested beside the code.
    vesk::intake::ArchiveExtractor extractor{module, settings, {1 << 20, 4 << 20, 5}};

    Rig() {
        box = scratch.path() + QStringLiteral("/box");
        module.workFolder = box + QStringLiteral("/work/");
        module.haveLzhReader = true;
        module.haveZipReader = true;
        module.haveRarReader = true;
    }
};

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
    if (size == 0) {
        return 0;
    }
    Rig& r = rig();
    r.scratch.clear();
    require(QDir().mkpath(r.box), "make the box");
    static constexpr const char* kNames[] = {"song.zip", "song.lzh", "song.rar"};
    const QString archive = r.box + u'/' + QLatin1String(kNames[data[0] % 3]);
    {
        QFile file(archive);
        require(file.open(QIODevice::WriteOnly), "write the archive");
        const QByteArray bytes = vesk::fuzz::bytesOf(data + 1, size - 1);
        require(file.write(bytes) == bytes.size(), "write the archive");
    }

    const vesk::intake::ExtractOutcome outcome =
        r.extractor.extractArchive(archive, QStringLiteral("*"), r.reporter);

    const QString work = r.module.workFolder;
    for (const QString& written : outcome.written) {
        require(written.startsWith(work), "written inside the work folder");
        const QString top = written.mid(work.size()).section(u'/', 0, 0);
        require(top != u"FileNames" && top != u"Lock", "nothing over the player's own entries");
        require(QFileInfo(written).isFile(), "a file said written exists");
    }
    require(QDir(r.scratch.path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                               QDir::NoDotAndDotDot) == QStringList{"box"},
            "nothing beside the box");
    const QStringList inBox = QDir(r.box).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot);
    for (const QString& name : inBox) {
        require(name == u"work" || r.box + u'/' + name == archive,
                "nothing beside the work folder");
    }
    QDirIterator it(work, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        require(!it.fileInfo().isSymLink(), "no links in the work folder");
    }
    return 0;
}
