#pragma once
// The program's look as start-up sets it, for the window tests that draw pictures, and a
// measure of how dark a picture is.

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <utility>

#include "ui/common/dark_look.h"

namespace vesk::ui::test {

// Sets the look for the whole program and undoes it afterwards for the tests that follow.
class ProgramLook {
  public:
    ProgramLook() : style_(QApplication::style()->name()), palette_(QApplication::palette()) {
        applyDarkLook();
    }
    ~ProgramLook() {
        QApplication::setStyle(style_);
        QApplication::setPalette(palette_);
    }
    ProgramLook(const ProgramLook&) = delete;
    ProgramLook& operator=(const ProgramLook&) = delete;

  private:
    QString style_;
    QPalette palette_;
};

// Shares of the pixels of `picture` that are dark and that are light.
inline std::pair<double, double> darkAndLight(const QPixmap& picture) {
    const QImage image = picture.toImage();
    int dark = 0;
    int light = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int v = image.pixelColor(x, y).value();
            dark += v < 128 ? 1 : 0;
            light += v > 170 ? 1 : 0;
        }
    }
    const double all = image.width() * image.height();
    return {dark / all, light / all};
}

}  // namespace vesk::ui::test
