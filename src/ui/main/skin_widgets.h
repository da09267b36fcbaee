#pragma once
// The controls of the skinned window: image controls that show a picture of the skin,
// labels that report mouse presses, and the position bar.

#include <QLabel>
#include <QPoint>
#include <QString>
#include <QWidget>

namespace vesk::ui {

class SkinArt;

// An image control. Its picture is a key of the skin's artwork and can be exchanged at
// any time; it reports presses and releases of every mouse button, and a click (left
// press and release inside it) for the transport images. A double click counts as a
// press, so a fast second click is never lost.
class PictureBox final : public QWidget {
    Q_OBJECT
  public:
    PictureBox(SkinArt& art, QWidget* parent);

    const QString& picture() const { return picture_; }
    void setPicture(const QString& key);
    // Drawn faded while its action is not available; the picture itself stays.
    void setFaded(bool faded);
    bool faded() const { return faded_; }

  signals:
    void pressed(Qt::MouseButton button, QPoint globalPos);
    void released(Qt::MouseButton button, QPoint globalPos);
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    SkinArt& art_;
    QString picture_;
    bool faded_ = false;
    bool hover_ = false;
    bool leftDown_ = false;
};

// A label that reports presses and double clicks of every mouse button.
class SkinLabel final : public QLabel {
    Q_OBJECT
  public:
    explicit SkinLabel(const QString& text, QWidget* parent);
    void setBackground(const QColor& color);
    QColor background() const { return background_; }

  signals:
    void pressed(Qt::MouseButton button, QPoint globalPos);
    void doubleClicked(Qt::MouseButton button, QPoint globalPos);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QColor background_;
};

// The position bar: a bar whose filled width shows the song's position.
class PositionBar final : public QWidget {
    Q_OBJECT
  public:
    explicit PositionBar(QWidget* parent);
    int shapeWidth() const { return shapeWidth_; }
    void setShapeWidth(int width);

  signals:
    // The horizontal press position inside the bar, in pixels.
    void pressed(double x);
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    int shapeWidth_ = 1;
};

// A press on the bar is kept in fifteenths of a pixel and counts 20 of them further
// right, as the player has always measured it, so a seek lands on the same millisecond.
inline constexpr int kSeekUnitsPerPixel = 15;

// The song position a double click on the bar asks for: `seekX` (from seekXForPress) over
// the bar's width, times the song's length, rounded down; not limited to the length.
std::int32_t seekPosition(std::int32_t seekX, int barWidthPixels, std::int32_t playTimeMs);

// The press position `x` pixels into the bar, in seek units, plus 20, rounded.
std::int32_t seekXForPress(double x);

}  // namespace vesk::ui
