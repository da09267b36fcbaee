#pragma once
// The version window: the program's title and version and the versions of the four
// optional components. Shown without being modal; the main window is disabled while it
// is open and enabled again when it closes (close box, "OK", or its destruction). The
// caller owns it; with Qt::WA_DeleteOnClose set it frees itself when closed.

#include <QWidget>
#include <array>
#include <memory>

#include "ui/info/window_block.h"

class QLabel;

namespace vesk::ui {

// The components in the order of the four lines, as app::componentVersion names them.
inline constexpr std::array<const char*, 4> ComponentNames = {"UNLHA32", "UNZIP32", "UNRAR",
                                                              "RCPCV"};
// What each line's component reads, padded to 6 characters so that the versions line up.
inline constexpr std::array<const char*, 4> ComponentLabels = {"LZH   ", "ZIP   ", "RAR   ",
                                                               "RCP   "};

struct VersionTexts {
    QString appTitle;    // "VESK MIDI PLAYER"
    QString appVersion;  // "Ver 1.0"
    int revision = 0;    // the build number; 0 when the build could not tell it
    // app::componentVersion of each name in ComponentNames: a version text or "NOT INSTALLED".
    std::array<QString, 4> components;
};

// "VESK MIDI PLAYER Ver 1.0 #225", or without " #..." when the build number is unknown.
QString versionTitleLine(const VersionTexts& texts);

class VersionWindow final : public QWidget {
    Q_OBJECT
  public:
    // Loading: disables `mainWindow` (may be null) and fills the title and the component
    // lines. The window is not a child of `mainWindow` but stays above it.
    VersionWindow(const VersionTexts& texts, QWidget* mainWindow);
    ~VersionWindow() override;

    QLabel* componentLabel(int index) const { return dll_.at(static_cast<std::size_t>(index)); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::unique_ptr<WindowBlock> block_;
    std::array<QLabel*, 4> dll_{};
};

}  // namespace vesk::ui
