#include "ui/main/main_window.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

#include "intake/archive_extract.h"
#include "ui/main/file_dialogs.h"
#include "ui/main/info_windows.h"
#include "ui/main/player_window.h"

namespace vesk::ui {
namespace {

// The desktop's mixer; nothing happens when none is installed.
void startVolumeControl() {
    const QString mixer = QStandardPaths::findExecutable(QStringLiteral("pavucontrol"));
    if (!mixer.isEmpty()) {
        QProcess::startDetached(mixer, {});
    }
}

// The window together with everything it uses that start-up does not make.
class DesktopMainWindow final : public MainWindow {
  public:
    explicit DesktopMainWindow(MainWindowContext& context)
        : dialogs_(context.module, context.settings, backend_),
          windows_(context.version),
          ownExtractor_(context.module, context.settings),
          window_(context,
                  PlayerWindowParts{dialogs_, windows_,
                                    context.extractor ? *context.extractor : ownExtractor_,
                                    [] { QCoreApplication::quit(); }, startVolumeControl}) {}

    bool load() override { return window_.load(); }
    void show() override { window_.show(); }
    void closeWindow() override { window_.closeWindow(); }
    void saveConfig() override { window_.saveConfig(); }

  private:
    QtDialogBackend backend_;
    SongFileDialogs dialogs_;
    InfoWindows windows_;
    intake::ArchiveExtractor ownExtractor_;
    PlayerWindow window_;
};

}  // namespace

std::unique_ptr<MainWindow> createMainWindow(MainWindowContext& context) {
    return std::make_unique<DesktopMainWindow>(context);
}

}  // namespace vesk::ui
