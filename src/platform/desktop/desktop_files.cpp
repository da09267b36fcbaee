#include "platform/desktop/desktop_files.h"

namespace vesk::platform::desktop {

const std::vector<PlayerMimeType>& playerMimeTypes() {
    static const std::vector<PlayerMimeType> types{
        {"audio/x-rmid", "RIFF MIDI file", "RIFF MIDI ファイル", "veskmidi-smf", {"*.rmi"}},
        {"audio/x-recomposer",
         "Recomposer song",
         "レコンポーザ ファイル",
         "veskmidi-rcp",
         {"*.rcp", "*.r36", "*.r18", "*.g36", "*.g18"}},
        {"audio/x-vesk-multilist",
         "VESK MIDI PLAYER multi-list file",
         "マルチリスト ファイル",
         "veskmidi-mlt",
         {"*.mlt"}},
    };
    return types;
}

namespace {

// Characters that make the desktop entry's Exec rules require quoting an argument.
bool needsQuoting(const QString& path) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    for (QChar c : path) {
        if (reserved.contains(c)) {
            return true;
        }
    }
    return false;
}

QByteArray xmlEscaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

}  // namespace

QString desktopExecLine(const QString& programPath) {
    QString program = programPath;
    program.replace(u'%', QStringLiteral("%%"));
    if (needsQuoting(program)) {
        QString quoted;
        for (QChar c : program) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
                quoted += u'\\';
            }
            quoted += c;
        }
        program = u'"' + quoted + u'"';
    }
    // The entry is a string value too: its own escape doubles every backslash.
    program.replace(u'\\', QStringLiteral("\\\\"));
    return program + QStringLiteral(" %F");
}

QByteArray desktopEntry(const QString& programPath) {
    QByteArray mimeTypes = "audio/midi;";
    for (const PlayerMimeType& type : playerMimeTypes()) {
        mimeTypes += QByteArray(type.type) + ';';
    }
    QByteArray entry;
    entry += "[Desktop Entry]\n";
    entry += "Type=Application\n";
    entry += "Name=VESK MIDI PLAYER\n";
    entry += "Name[ja]=" + QStringLiteral("VESK MIDI プレイヤー").toUtf8() + "\n";
    entry += "GenericName=MIDI Player\n";
    entry += "GenericName[ja]=" + QStringLiteral("MIDIプレイヤー").toUtf8() + "\n";
    entry += "Comment=Plays Standard MIDI Files, Recomposer songs and archives of them\n";
    entry +=
        "Comment[ja]=" + QStringLiteral("MIDIファイルとレコンポーザファイルを再生します").toUtf8() +
        "\n";
    entry += "Exec=" + desktopExecLine(programPath).toUtf8() + "\n";
    entry += "Icon=" + QByteArray(AppIconName) + "\n";
    entry += "Terminal=false\n";
    entry += "Categories=AudioVideo;Audio;Player;Midi;\n";
    entry += "MimeType=" + mimeTypes + "\n";
    return entry;
}

QByteArray mimePackage() {
    QByteArray xml;
    xml += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const PlayerMimeType& type : playerMimeTypes()) {
        xml += "  <mime-type type=\"" + QByteArray(type.type) + "\">\n";
        xml += "    <comment>" + xmlEscaped(QString::fromUtf8(type.comment)) + "</comment>\n";
        xml += "    <comment xml:lang=\"ja\">" + xmlEscaped(QString::fromUtf8(type.commentJa)) +
               "</comment>\n";
        xml += "    <icon name=\"" + QByteArray(type.icon) + "\"/>\n";
        for (const char* glob : type.globs) {
            xml += "    <glob pattern=\"" + QByteArray(glob) + "\"/>\n";
        }
        xml += "  </mime-type>\n";
    }
    xml += "</mime-info>\n";
    return xml;
}

QByteArray appIconSvg() {
    return QByteArrayLiteral(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" "
        "viewBox=\"0 0 64 64\">\n"
        "  <rect x=\"4\" y=\"4\" width=\"56\" height=\"56\" rx=\"10\" fill=\"#1d2b53\"/>\n"
        "  <rect x=\"10\" y=\"30\" width=\"44\" height=\"22\" rx=\"2\" fill=\"#f4f4f4\"/>\n"
        "  <g fill=\"#1d2b53\">\n"
        "    <rect x=\"16\" y=\"30\" width=\"4\" height=\"13\"/>\n"
        "    <rect x=\"24\" y=\"30\" width=\"4\" height=\"13\"/>\n"
        "    <rect x=\"36\" y=\"30\" width=\"4\" height=\"13\"/>\n"
        "    <rect x=\"44\" y=\"30\" width=\"4\" height=\"13\"/>\n"
        "  </g>\n"
        "  <path d=\"M40 10v14.5a5 5 0 1 1-3-4.6V10z\" fill=\"#ffcc33\"/>\n"
        "  <path d=\"M40 10l10 3v4l-10-3z\" fill=\"#ffcc33\"/>\n"
        "</svg>\n");
}

QByteArray documentIconSvg(const QString& label, const QString& colour) {
    QByteArray svg;
    svg +=
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" "
        "viewBox=\"0 0 64 64\">\n";
    svg +=
        "  <path d=\"M12 4h28l12 12v44H12z\" fill=\"#fbfbfb\" stroke=\"#6b6b6b\" "
        "stroke-width=\"2\"/>\n";
    svg += "  <path d=\"M40 4v12h12\" fill=\"#dcdcdc\" stroke=\"#6b6b6b\" stroke-width=\"2\"/>\n";
    svg += "  <rect x=\"8\" y=\"36\" width=\"48\" height=\"18\" rx=\"3\" fill=\"" +
           xmlEscaped(colour) + "\"/>\n";
    svg +=
        "  <text x=\"32\" y=\"50\" font-family=\"sans-serif\" font-size=\"14\" "
        "font-weight=\"bold\" text-anchor=\"middle\" fill=\"#ffffff\">" +
        xmlEscaped(label) + "</text>\n";
    svg +=
        "  <path d=\"M30 14v12.5a4 4 0 1 1-2.5-3.7V14z\" fill=\"" + xmlEscaped(colour) + "\"/>\n";
    svg += "</svg>\n";
    return svg;
}

std::vector<NamedIcon> documentIcons() {
    const std::vector<std::pair<const char*, const char*>> looks{
        {"MID", "#2f6fb3"}, {"RCP", "#b3462f"}, {"MLT", "#3f8f3a"}};
    const auto& types = playerMimeTypes();
    std::vector<NamedIcon> icons;
    for (std::size_t i = 0; i < types.size() && i < looks.size(); ++i) {
        icons.push_back(
            {QLatin1String(types[i].icon),
             documentIconSvg(QLatin1String(looks[i].first), QLatin1String(looks[i].second))});
    }
    return icons;
}

}  // namespace vesk::platform::desktop
