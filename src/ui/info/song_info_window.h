#pragma once
// The file-information window: a ruled table of seven rows (archive, file, copyright,
// SMF format, tempo, tracks, resolution) that the main window places directly below
// itself. It decides nothing; the player core fills it through the main window.

#include <QWidget>
#include <array>

#include "player/player_view.h"

namespace vesk::ui {

class InfoRow;

class SongInfoWindow final : public QWidget {
    Q_OBJECT
  public:
    enum Row { Archive, File, Copyright, Format, Tempo, Tracks, Division, RowCount };

    // `owner` (may be null) is the main window: SongInfoWindow stays above it but is not its child,
    // so it keeps its look while the main window is disabled.
    explicit SongInfoWindow(QWidget* owner = nullptr);

    // Sets the six labels that loading a song fills (complete texts: word, two blanks,
    // value); the tempo row is left as it is.
    void showFileInfo(const player::FileInfoTexts& texts);
    // The tempo row, "BPM  " + tempo.
    void setBpmText(const QString& text);

    // Puts the window directly below `mainFrame` (the main window's outer rectangle):
    // its top at the main window's top + height, its left at the main window's left.
    void placeBelow(const QRect& mainFrame);

  private:
    std::array<InfoRow*, RowCount> rows_{};
};

}  // namespace vesk::ui
