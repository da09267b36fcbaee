#pragma once
// The small windows filled with made-up data, for screenshots and for looking at them
// without a song.

#include <QString>
#include <memory>

#include "intake/song_entry.h"
#include "player/player_view.h"
#include "ui/info/progress_window.h"
#include "ui/info/song_info_window.h"
#include "ui/info/version_window.h"

namespace vesk::ui {

VersionTexts sampleVersionTexts();
player::FileInfoTexts sampleFileInfoTexts();
QString sampleBpmText();
intake::SongEntry sampleSongEntry();

std::unique_ptr<VersionWindow> makeSampleVersionWindow(QWidget* mainWindow = nullptr);
std::unique_ptr<SongInfoWindow> makeSampleSongInfoWindow();
std::unique_ptr<ProgressWindow> makeSampleProgressWindow();

// Writes version_window.png, song_info_window.png and progress_window.png into `folder` (which must
// exist). False when one of them could not be written.
bool saveInfoScreenshots(const QString& folder);

}  // namespace vesk::ui
