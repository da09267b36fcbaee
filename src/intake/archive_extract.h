#pragma once
// Extracting archive members into the work folder: LZH, ZIP and RAR through libarchive,
// or LZH and ZIP through the external archiver when the reader is missing and the user
// asked for it.
//
// Safety: nothing is ever written outside the work folder. Members with absolute paths,
// drive names or ".." components, and link members, are skipped; a member kept in a
// sub-folder of the archive is written to the same sub-folder below the work folder.
// Written bytes are bounded per member and per archive (ExtractLimits); a member that
// goes over is removed again and the extraction ends there.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "config/module_state.h"
#include "config/settings.h"
#include "intake/intake_reporter.h"

namespace vesk::intake {

struct ExtractLimits {
    std::int64_t memberBytes = std::int64_t{64} << 20;
    std::int64_t archiveBytes = std::int64_t{256} << 20;
    // How long the external archiver may run before it is stopped.
    int archiverSeconds = 120;
};

struct ExtractOutcome {
    // False when the external archiver did the work: it extracts every member and does
    // not say which files it wrote.
    bool tracked = true;
    QStringList written;         // full paths of the files written, in order
    QStringList createdFolders;  // folders made for members kept in sub-folders, outermost first
    // Wanted members left out: unsafe or unreadable names, links, members that would reach
    // the player's own entries, a member over the size bounds.
    int refused = 0;
};

// The RAR message texts; any other code gives an empty text.
QString rarErrorText(int code, const QString& archiveName);

class ArchiveExtractor {
  public:
    ArchiveExtractor(const config::ModuleState& module, const config::Settings& settings,
                     ExtractLimits limits = {});

    // Extracts the members of `archive` named by `patterns` into the work folder: wildcard
    // patterns separated by single spaces, or one member name. The reader is chosen by the
    // archive's last three characters; an archive kind with no reader does nothing.
    ExtractOutcome extractArchive(const QString& archive, const QString& patterns,
                                  IntakeReporter& reporter);

    // One member named by a play-list entry: a song (MIDI or Recomposer by its name) and no
    // wildcard, otherwise nothing is extracted. A list line is one song, never a pattern.
    ExtractOutcome extractListedMember(const QString& archive, const QString& member,
                                       IntakeReporter& reporter);

    // RAR member by member, with the RAR matching rule and one message per failure.
    ExtractOutcome extractRar(const QString& archive, const QString& destination,
                              const QString& patterns, IntakeReporter& reporter);

    // Message box under the caption "Error" with the exclamation icon.
    static void showRarError(int code, const QString& archiveName, IntakeReporter& reporter);

    // The archive last handed to the external archiver; its members are all in the work
    // folder while it is the only extractor.
    const QString& lastLhasaArchive() const { return lastLhasaArchive_; }

  private:
    ExtractOutcome extractLibrary(const QString& archive, const QString& patterns,
                                  IntakeReporter& reporter, bool zip);
    ExtractOutcome runLhasa(const QString& archive);

    const config::ModuleState& module_;
    const config::Settings& settings_;
    ExtractLimits limits_;
    QString lastLhasaArchive_;
};

}  // namespace vesk::intake
