#pragma once
// Extracting archive members below the work folder: LZH, ZIP and RAR through libarchive,
// or LZH and ZIP through the external archiver when the reader is missing and the user
// asked for it.
//
// Each archive has a folder of its own below the work folder (archiveFolder()), so two
// archives' members of one name never meet and no member can reach the player's own
// entries. Safety: nothing is ever written outside that folder. Members with absolute
// paths, drive names or ".." components, and link members, are skipped; a member kept in
// a sub-folder of the archive is written to the same sub-folder below the archive's
// folder. Written bytes are bounded per member and per archive (ExtractLimits); a member
// that goes over is removed again and the extraction ends there.

#include <QByteArray>
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

// The folder (ending in "/") below `workFolder` that the members of `archive` go to:
// ArchiveFolderPrefix and a name from the archive's path, so the same archive always gets
// the same folder.
inline constexpr char ArchiveFolderPrefix[] = "Archive-";
QString archiveFolder(const QString& workFolder, const QString& archive);

struct ExtractOutcome {
    QString folder;              // the archive's folder; empty when nothing was tried
    QStringList written;         // full paths of the files written, in order
    QStringList createdFolders;  // folders made for members kept in sub-folders, outermost first
    // Wanted members left out: unsafe or unreadable names, links, a member over the size
    // bounds, a name the external archiver cannot be given.
    int refused = 0;
};

// The RAR message texts; any other code gives an empty text.
QString rarErrorText(int code, const QString& archiveName);

class ArchiveExtractor {
  public:
    ArchiveExtractor(const config::ModuleState& module, const config::Settings& settings,
                     ExtractLimits limits = {});

    // Extracts the members of `archive` named by `patterns` into its folder: wildcard
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

  private:
    ExtractOutcome extractLibrary(const QString& archive, const QString& patterns,
                                  IntakeReporter& reporter, bool zip);
    ExtractOutcome runLhasa(const QString& archive, const QString& patterns,
                            IntakeReporter& reporter);
    // Runs the external archiver to its end or its time limit; `output` takes what it printed.
    bool runArchiver(const QStringList& arguments, QByteArray* output) const;

    const config::ModuleState& module_;
    const config::Settings& settings_;
    ExtractLimits limits_;
};

}  // namespace vesk::intake
