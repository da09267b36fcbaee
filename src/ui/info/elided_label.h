#pragma once
// A one-line label of fixed width that keeps its whole text but draws it shortened with
// an ellipsis when it does not fit (long paths stay readable at both ends).

#include <QString>
#include <QWidget>

namespace vesk::ui {

class ElidedLabel final : public QWidget {
    Q_OBJECT
  public:
    explicit ElidedLabel(QWidget* parent, Qt::TextElideMode mode = Qt::ElideMiddle);

    void setText(const QString& text);
    QString text() const { return text_; }
    // The text as it is drawn at the current width.
    QString shownText() const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    Qt::TextElideMode mode_;
};

}  // namespace vesk::ui
