#include "ui/info/svg_picture.h"

#include <QLoggingCategory>
#include <QPainter>

namespace vesk::ui {

Q_LOGGING_CATEGORY(lcInfoWindows, "vesk.ui.info")

SvgPicture::SvgPicture(const QString& file, QWidget* parent) : QWidget(parent), renderer_(file) {
    if (!renderer_.isValid()) {
        qCWarning(lcInfoWindows) << "picture not readable:" << file;
    }
}

void SvgPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer_.render(&painter, QRectF(rect()));
}

}  // namespace vesk::ui
