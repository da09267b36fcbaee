#include "ui/info/elided_label.h"

#include <QPainter>

namespace vesk::ui {

ElidedLabel::ElidedLabel(QWidget* parent, Qt::TextElideMode mode) : QWidget(parent), mode_(mode) {}

void ElidedLabel::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    setToolTip(shownText() == text_ ? QString() : text_);
    update();
}

QString ElidedLabel::shownText() const {
    // Line breaks in a file name would otherwise break the row.
    QString line = text_;
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    return fontMetrics().elidedText(line, mode_, width());
}

QSize ElidedLabel::sizeHint() const {
    return QSize(fontMetrics().horizontalAdvance(text_), fontMetrics().height());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

}  // namespace vesk::ui
