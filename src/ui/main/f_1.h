#pragma once
// The main window F_1: for now a plain window titled with the application title that keeps
// the configuration (read at load, written when it closes) and its own position.

#include <QWidget>

#include "ui/main/main_window.h"

namespace vesk::ui {

class F_1 final : public QWidget, public MainWindow {
    Q_OBJECT
  public:
    explicit F_1(MainWindowContext& context);
    bool load() override;
    void show() override { QWidget::show(); }

    // Reads the configuration into Settings and applies the window position.
    bool SetConfig();
    // Writes the configuration; a failure is told to the user.
    void SaveConfig();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    MainWindowContext& context_;
};

}  // namespace vesk::ui
