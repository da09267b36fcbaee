#pragma once
// Turning paths into play-list entries: the dispatch by file type, archives, multi-list
// files and folder scans. The intake only returns the new entries; the caller appends
// them to its play list. Messages and progress go through an IntakeReporter.
//
// While it works the intake lets pending window events run, so a window command may call
// it again in the middle; each call keeps its own results.

#include <QString>
#include <functional>
#include <vector>

#include "config/module_state.h"
#include "config/settings.h"
#include "intake/archive_extract.h"
#include "intake/intake_reporter.h"
#include "intake/song_entry.h"

namespace vesk::intake {

// The title of a song file as the list shows it ("" when the file cannot be read).
using TitleFunction = std::function<QString(const QString& path)>;

// The header scan without a live engine: the same title as the engine's GetMidiTitle.
QString songTitle(const QString& path);

inline constexpr char UnsupportedText[] = "VESK MIDIはこのﾌｧｲﾙ形式に対応していません。";
inline constexpr char NoSupportedFilesText[] = "このﾌｫﾙﾀﾞには対応したﾌｧｲﾙが存在しません";
inline constexpr char ConvertFailedText[] = "ﾚｺﾝﾎﾟｰｻﾞﾌｧｲﾙのコンバートに失敗しました";
inline constexpr char NeedLzhText[] =
    "LHA書庫の利用にはlibarchive（LHA対応）もしくはlhaが必要です。";
inline constexpr char NeedZipText[] =
    "ZIP書庫の利用にはlibarchive（ZIP対応）もしくはlhaが必要です。";
inline constexpr char NeedRarText[] = "RAR書庫の利用にはlibarchive（RAR対応）が必要です。";
inline constexpr char NotAListText[] = "これはMIDIリストではありません";

class Intake {
  public:
    Intake(const config::ModuleState& module, const config::Settings& settings,
           ArchiveExtractor& extractor, IntakeReporter& reporter, TitleFunction title = songTitle);

    // One path, or a multi-selection: folder, NUL, names separated by NULs.
    std::vector<SongEntry> addFiles(const QString& selection);

    // The files of one folder matching "*.mid", "*.rmi", "*.lzh", "*.zip", "*.mlt" (in
    // that order; by name, letter case ignored, within one pattern), each with
    // `container` as its container. Sub-folders and hidden files are not looked at.
    std::vector<SongEntry> addFolder(const QString& folder, const QString& container);

    // One path by the upper-cased last three characters of its name.
    std::vector<SongEntry> addFileByType(const QString& path, const QString& container);

    // The playable members of an archive, with the archive as their container. The files
    // the extraction wrote are removed afterwards.
    std::vector<SongEntry> addArchive(const QString& archive);

    // The songs named by a multi-list file.
    std::vector<SongEntry> readMultiList(const QString& path);

  private:
    void addFileByType(const QString& path, const QString& container, std::vector<SongEntry>& out);
    void addSong(SongEntry entry, std::vector<SongEntry>& out);
    void addRecomposer(const QString& path, const QString& container, std::vector<SongEntry>& out);
    void addArchive(const QString& archive, std::vector<SongEntry>& out);
    void readMultiList(const QString& path, std::vector<SongEntry>& out);
    // `onlyNames`: when given, the scan sees only these names of the folder.
    void scanFolder(const QString& folder, const QString& container, const QStringList* onlyNames,
                    std::vector<SongEntry>& out);
    QString memberTitle(const QString& container, const QString& name);

    const config::ModuleState& module_;
    const config::Settings& settings_;
    ArchiveExtractor& extractor_;
    IntakeReporter& reporter_;
    TitleFunction title_;
    int scanDepth_ = 0;
};

// The filter of the open dialog: description and pattern-list pairs separated by "|",
// the first pair listing every kind the player can take at the moment.
QString openFilesFilter(const config::ModuleState& module, const config::Settings& settings);

// The same pairs as Qt file-dialog filters: "description (pattern pattern ...)".
QStringList qtNameFilters(const QString& filter);

}  // namespace vesk::intake
