#pragma once
// A picture drawn from an SVG file, scaled to the widget.

#include <QSvgRenderer>
#include <QWidget>

namespace vesk::ui {

class SvgPicture final : public QWidget {
    Q_OBJECT
  public:
    SvgPicture(const QString& file, QWidget* parent);
    bool isValid() const { return renderer_.isValid(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSvgRenderer renderer_;
};

}  // namespace vesk::ui
