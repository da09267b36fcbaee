#include "ui/main/f_1.h"

#include <QCloseEvent>

#include "app/config/config_file.h"

namespace vesk::ui {
namespace {

// Positions are kept in twips in the configuration; on screen 15 twips make a pixel.
constexpr double TwipsPerPixel = 15.0;

}  // namespace

F_1::F_1(MainWindowContext& context) : context_(context) {
    setWindowTitle(context.module.AppTitle);
    resize(480, 200);
}

std::unique_ptr<MainWindow> createMainWindow(MainWindowContext& context) {
    return std::make_unique<F_1>(context);
}

bool F_1::load() {
    return context_.module.MainReload || SetConfig();
}

bool F_1::SetConfig() {
    const app::ConfigLoad load = app::loadConfigFile(context_.module.ConfigPath);
    if (!load.read.valid) {
        context_.interaction.showMessage(QStringLiteral("設定ファイルが不正です。異常終了します。"),
                                         platform::MessageIcon::Critical);
        return false;
    }
    context_.settings = load.read.settings;
    double top = load.read.top.value_or(2000.0);
    double left = load.read.left.value_or(2000.0);
    move(static_cast<int>(left / TwipsPerPixel), static_cast<int>(top / TwipsPerPixel));
    context_.settings.Top = app::toInt32(pos().y() * TwipsPerPixel);
    context_.settings.Left = app::toInt32(pos().x() * TwipsPerPixel);
    return true;
}

void F_1::SaveConfig() {
    const platform::WriteResult written =
        app::saveConfigFile(context_.module.ConfigPath, context_.settings);
    if (!written.ok) {
        context_.interaction.showMessage(
            QStringLiteral("設定ファイルを保存できませんでした。\n") + written.error,
            platform::MessageIcon::Critical);
    }
}

void F_1::closeEvent(QCloseEvent* event) {
    if (!context_.module.MainReload) {
        context_.settings.Top = app::toInt32(pos().y() * TwipsPerPixel);
        context_.settings.Left = app::toInt32(pos().x() * TwipsPerPixel);
        SaveConfig();
    }
    event->accept();
}

}  // namespace vesk::ui
