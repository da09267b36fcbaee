#pragma once
// The progress, version and file-information windows as the main window opens and closes them.

#include <QPointer>
#include <functional>

#include "ui/info/progress_window.h"
#include "ui/info/song_info_window.h"
#include "ui/info/version_window.h"
#include "ui/main/aux_windows.h"

namespace vesk::ui {

class InfoWindows final : public AuxWindows {
  public:
    explicit InfoWindows(VersionTexts version) : version_(std::move(version)) {}
    ~InfoWindows() override;
    InfoWindows(const InfoWindows&) = delete;
    InfoWindows& operator=(const InfoWindows&) = delete;

    void showVersion(QWidget* mainWindow) override;
    void showFileInfo(QWidget* mainWindow, QPoint topLeft,
                      std::function<void()> closedByUser) override;
    void fillFileInfo(const player::FileInfoTexts& texts) override;
    void setFileInfoBpm(const QString& text) override;
    void moveFileInfo(QPoint topLeft) override;
    void closeFileInfo() override;
    void showProgress(QWidget* mainWindow) override;
    void showProgressEntry(const intake::SongEntry& entry) override;
    void closeProgress() override;
    void closeAll() override;

  private:
    VersionTexts version_;
    QPointer<VersionWindow> versionWindow_;
    QPointer<SongInfoWindow> songInfoWindow_;
    QPointer<ProgressWindow> progressWindow_;
};

}  // namespace vesk::ui
