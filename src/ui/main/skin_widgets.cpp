#include "ui/main/skin_widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/main/skin_art.h"
#include "ui/main/skin_style.h"

namespace vesk::ui {

PictureBox::PictureBox(SkinArt& art, QWidget* parent) : QWidget(parent), art_(art) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void PictureBox::setPicture(const QString& key) {
    if (key != picture_) {
        picture_ = key;
        update();
    }
}

void PictureBox::setFaded(bool faded) {
    if (faded != faded_) {
        faded_ = faded;
        update();
    }
}

void PictureBox::paintEvent(QPaintEvent*) {
    const QPixmap picture = art_.pixmap(picture_, size(), devicePixelRatioF());
    if (picture.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setOpacity(faded_ ? 0.4 : 1.0);
    painter.drawPixmap(0, 0, picture);
    if (!faded_ && (hover_ || leftDown_)) {
        // A light glow under the pointer; a press darkens.
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
        painter.fillPath(shape, leftDown_ ? QColor(0, 0, 0, 70) : QColor(140, 220, 255, 28));
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        leftDown_ = true;
        update();
    }
    emit pressed(event->button(), event->globalPosition().toPoint());
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click; it does not make a click of its own.
    emit pressed(event->button(), event->globalPosition().toPoint());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = event->button() == Qt::LeftButton && leftDown_ &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        leftDown_ = false;
        update();
    }
    emit released(event->button(), event->globalPosition().toPoint());
    if (click) {
        emit clicked();
    }
}

void PictureBox::enterEvent(QEnterEvent*) {
    hover_ = true;
    update();
}

void PictureBox::leaveEvent(QEvent*) {
    hover_ = false;
    update();
}

SkinLabel::SkinLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFocusPolicy(Qt::NoFocus);
}

void SkinLabel::setBackground(const QColor& color) {
    background_ = color;
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void SkinLabel::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->button(), event->globalPosition().toPoint());
}

void SkinLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked(event->button(), event->globalPosition().toPoint());
}

PositionBar::PositionBar(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void PositionBar::setShapeWidth(int width) {
    if (width != shapeWidth_) {
        shapeWidth_ = width;
        update();
    }
}

void PositionBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(kPanelEdgeColor, 1));
    painter.setBrush(kPanelColor);
    painter.drawRoundedRect(track, 3, 3);
    const int fill = std::clamp(shapeWidth_, 0, width());
    if (fill > 0) {
        QLinearGradient glow(0, 0, 0, height());
        glow.setColorAt(0, kBarColor.lighter(130));
        glow.setColorAt(1, kBarColor.darker(160));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawRoundedRect(QRectF(1.5, 1.5, std::max(fill - 3, 1), height() - 3), 2, 2);
    }
}

void PositionBar::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->position().x());
}

void PositionBar::mouseDoubleClickEvent(QMouseEvent*) {
    emit doubleClicked();
}

std::int32_t seekXForPress(double x) {
    return static_cast<std::int32_t>(std::lround(x * kSeekUnitsPerPixel + 20.0));
}

std::int32_t seekPosition(std::int32_t seekX, int barWidthPixels, std::int32_t playTimeMs) {
    if (barWidthPixels <= 0) {
        return 0;
    }
    const std::int64_t barWidth = std::int64_t{barWidthPixels} * kSeekUnitsPerPixel;
    // Whole numbers throughout, so an exact quotient is never rounded down by one.
    const std::int64_t product = std::int64_t{seekX} * std::int64_t{playTimeMs};
    std::int64_t position = product / barWidth;
    if (product % barWidth != 0 && product < 0) {
        --position;
    }
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(position, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

}  // namespace vesk::ui
