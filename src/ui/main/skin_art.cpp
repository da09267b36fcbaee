#include "ui/main/skin_art.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

#include "ui/main/skin_style.h"

// Resources of a static library are registered by hand, outside any namespace.
static void registerMainArt() {
    Q_INIT_RESOURCE(main_art);
}

namespace vesk::ui {
namespace {

QString artPath(const QString& key) {
    return QStringLiteral(":/vesk/main/art/") + key + QStringLiteral(".svg");
}

}  // namespace

QFont skinFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

SkinArt::SkinArt() {
    registerMainArt();
}

bool SkinArt::exists(const QString& key) {
    return !key.isEmpty() && QFile::exists(artPath(key));
}

QPixmap SkinArt::pixmap(const QString& key, QSize size, qreal devicePixelRatio) {
    if (key.isEmpty() || size.isEmpty()) {
        return {};
    }
    const QString cacheKey = QStringLiteral("%1@%2x%3@%4")
                                 .arg(key)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(devicePixelRatio);
    if (const auto it = cache_.constFind(cacheKey); it != cache_.constEnd()) {
        return *it;
    }
    QSvgRenderer renderer(artPath(key));
    if (!renderer.isValid()) {
        return {};
    }
    const QSize device(static_cast<int>(std::ceil(size.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(size.height() * devicePixelRatio)));
    QPixmap picture(device);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    picture.setDevicePixelRatio(devicePixelRatio);
    cache_.insert(cacheKey, picture);
    return picture;
}

}  // namespace vesk::ui
