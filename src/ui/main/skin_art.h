#pragma once
// The pictures of the main window: SVG artwork in the resources, drawn at the screen's
// device-pixel ratio and kept once drawn. A picture is named by its key, the file's base
// name ("button_open", "button_open_pressed"); the empty key is no picture.

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace vesk::ui {

class SkinArt {
  public:
    SkinArt();
    // The picture at `size` pixels; a null pixmap for the empty key or a missing file.
    QPixmap pixmap(const QString& key, QSize size, qreal devicePixelRatio);
    static bool exists(const QString& key);

  private:
    QHash<QString, QPixmap> cache_;
};

}  // namespace vesk::ui
