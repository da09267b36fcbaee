// Build step: writes the files an installed player gives the desktop, under one share/
// folder: its entry (started by name from PATH), the MIME package, the program icon as
// SVG and in the usual pixel sizes, and the document icons.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/desktop/associations.h"
#include "platform/desktop/desktop_files.h"

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const vesk::platform::WriteResult result = vesk::platform::writeFileAtomically(path, bytes);
    if (!result.ok) {
        std::fprintf(stderr, "desktop_files: %s\n", result.error.toLocal8Bit().constData());
    }
    return result.ok;
}

bool writePng(const QString& path, const QByteArray& svg, int size) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "desktop_files: the icon is no SVG\n");
        return false;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: desktop_files ICON.svg SHARE-FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    namespace desktop = vesk::platform::desktop;
    QFile iconFile(QFile::decodeName(argv[1]));
    if (!iconFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "desktop_files: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray icon = iconFile.readAll();
    const QString share = QFile::decodeName(argv[2]) + u'/';
    const QString hicolor = share + QStringLiteral("icons/hicolor/");
    const QString appIcon = QLatin1String(desktop::AppIconName);

    bool ok = write(share + QStringLiteral("applications/") + desktop::PlayerDesktopId,
                    desktop::desktopEntry(QStringLiteral("veskmidi")));
    ok = write(share + QStringLiteral("mime/packages/veskmidi.xml"), desktop::mimePackage()) && ok;
    ok = write(hicolor + QStringLiteral("scalable/apps/") + appIcon + QStringLiteral(".svg"),
               icon) &&
         ok;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        ok = writePng(hicolor + QStringLiteral("%1x%1/apps/").arg(size) + appIcon +
                          QStringLiteral(".png"),
                      icon, size) &&
             ok;
    }
    for (const desktop::NamedIcon& document : desktop::documentIcons()) {
        ok = write(hicolor + QStringLiteral("scalable/mimetypes/") + document.name +
                       QStringLiteral(".svg"),
                   document.svg) &&
             ok;
    }
    return ok ? 0 : 1;
}
