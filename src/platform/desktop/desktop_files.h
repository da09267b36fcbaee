#pragma once
// The files the player installs on the desktop: its desktop entry, the MIME package for
// the types the system does not know, and the icons.

#include <QByteArray>
#include <QString>
#include <vector>

namespace vesk::platform::desktop {

// The MIME types the player defines itself, with their document icons.
struct PlayerMimeType {
    const char* type;
    const char* comment;    // English
    const char* commentJa;  // Japanese
    const char* icon;       // icon name in the hicolor theme
    std::vector<const char*> globs;
};

const std::vector<PlayerMimeType>& playerMimeTypes();

// The Exec value: the program's path (quoted when it holds a reserved character) and a
// placeholder for the files.
QString desktopExecLine(const QString& programPath);

QByteArray desktopEntry(const QString& programPath);
QByteArray mimePackage();

inline constexpr char AppIconName[] = "veskmidi";

// SVG documents: the program's icon, and a document page with a short label.
QByteArray appIconSvg();
QByteArray documentIconSvg(const QString& label, const QString& colour);

// The document icon of each type the player defines: its name and SVG.
struct NamedIcon {
    QString name;
    QByteArray svg;
};
std::vector<NamedIcon> documentIcons();

}  // namespace vesk::platform::desktop
