#pragma once
// What the player core writes to a window. The main window implements all of it; the
// tray window, which shows no song, only takes in hand-off lines and follows the state of
// its menu. Every display call has an empty default, so a window overrides what it shows.

#include <QPoint>
#include <QString>
#include <optional>

namespace vesk::player {

// Positions and widths are pixels; the title rests at kTitleStartLeft and scrolls one
// pixel per kScrollMsPerPixel milliseconds.
inline constexpr int kTitleStartLeft = 16;
inline constexpr int kScrollMsPerPixel = 50;

// The labels of the file-information window, complete texts.
struct FileInfoTexts {
    QString archive;
    QString copyright;
    QString division;
    QString file;
    QString format;
    QString tracks;

    bool operator==(const FileInfoTexts&) const = default;
};

// The repeat indicator of the main window for one repeat mode.
struct RepeatIndicator {
    QString repeat;
    QString noRepeat;
    bool imageVisible = false;

    bool operator==(const RepeatIndicator&) const = default;
};

class PlayerView {
  public:
    virtual ~PlayerView() = default;

    // A line handed over by a second start (the main window's or the tray's).
    virtual void openCommandLine(const QString& line) = 0;

    // The song list, one line per entry.
    virtual void clearList() {}
    virtual void appendLine(const QString& /*line*/) {}
    virtual void setLine(int /*index*/, const QString& /*line*/) {}
    virtual void removeLastLine() {}
    virtual void selectLine(int /*index*/) {}

    virtual void setCaption(const QString& /*caption*/) {}
    virtual void setStatusText(const QString& /*text*/) {}
    virtual void setNowText(const QString& /*text*/) {}
    virtual void setTotalText(const QString& /*text*/) {}
    virtual void setTitleText(const QString& /*text*/) {}
    virtual void setTitleLeft(int /*left*/) {}
    // Width of the title label as its text is shown now.
    virtual int titleWidth() const { return 0; }
    // Full width of the position bar's container; the bar is 0..this wide.
    virtual int positionBarRange() const { return 0; }
    virtual void setPositionBarWidth(int /*width*/) {}
    // Marks device A (0) or B (1) as the one in use.
    virtual void setDeviceIndicator(int /*slot*/) {}
    virtual void showRepeat(int /*mode*/, const RepeatIndicator& /*indicator*/) {}
    // The file-information window, while it is shown.
    virtual void showFileInfo(const FileInfoTexts& /*texts*/) {}
    virtual void setBpmText(const QString& /*text*/) {}
    // The transposition every song plays at, in semitones (0: none).
    virtual void showTranspose(int /*semitones*/) {}

    // The window's top left corner in the settings' unit (see Settings::top); none for a
    // window whose place is not kept.
    virtual std::optional<QPoint> windowTopLeft() const { return std::nullopt; }
    // Keeps the file-information window below the main window after it moved.
    virtual void followInfoWindow(bool /*topChanged*/, bool /*leftChanged*/) {}

    // Flags, check marks and menu states in the player's state have changed.
    virtual void stateChanged() {}

    // Parent for dialogs of the archive extraction.
    virtual quintptr ownerWindow() const { return 0; }
};

}  // namespace vesk::player
