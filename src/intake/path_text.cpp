#include "intake/path_text.h"

namespace vesk::intake {

QString fixTrim(const QString& text) {
    qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString getFileName(const QString& path) {
    QString name = path.mid(path.lastIndexOf(PathSeparator) + 1);
    return name.mid(name.lastIndexOf(QChar(0)) + 1);
}

QString getFolder(const QString& path) {
    qsizetype nul = path.indexOf(QChar(0));
    if (nul >= 0) {
        return path.left(nul);
    }
    qsizetype last = path.lastIndexOf(PathSeparator);
    return last < 0 ? QString() : path.left(last);
}

namespace {

QString padded(int index) {
    QString text = QString::number(index + 1);
    if (index < 99) {
        text.prepend(u'0');
    }
    if (index < 9) {
        text.prepend(u'0');
    }
    return text;
}

QString twoDigits(std::int32_t value) {
    QString text = QString::number(value);
    return text.size() == 1 ? QStringLiteral("0") + text : text;
}

}  // namespace

QString trackCounter(std::int16_t currentEntry, std::int16_t listLast) {
    return padded(currentEntry) + u'/' + padded(listLast);
}

QString formatTime(std::int32_t ms) {
    // A negative time only comes from a failed query; it shows as nothing played yet.
    if (ms <= 0) {
        return QStringLiteral("00:00");
    }
    std::int32_t minutes = ms / 60000;
    std::int32_t seconds = ms / 1000 - minutes * 60;
    return twoDigits(minutes) + u':' + twoDigits(seconds);
}

}  // namespace vesk::intake
