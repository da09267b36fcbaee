#include "config/settings.h"

#include <QStringList>
#include <cmath>
#include <limits>

#include "platform/text_codec.h"

namespace vesk::config {
namespace {

template <typename Int>
Int roundClamped(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    double rounded = std::nearbyint(value);  // the default rounding mode is to even
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(rounded);
}

QString boolText(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// A value is one line of the file; a line break inside it (a folder name can hold one)
// would split it, so it becomes a space.
QString oneLine(QString value) {
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

// Only spaces surround keys and values; a tab or an ideographic space is part of them.
QString trimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == u' ') {
        --end;
    }
    return text.sliced(begin, end - begin);
}

}  // namespace

double leadingNumber(const QString& value) {
    qsizetype i = 0;
    const qsizetype n = value.size();
    if (i < n && (value[i] == u'+' || value[i] == u'-')) {
        ++i;
    }
    qsizetype digitsStart = i;
    while (i < n && value[i].isDigit() && value[i].unicode() < 128) {
        ++i;
    }
    bool intDigits = i > digitsStart;
    bool fracDigits = false;
    if (i < n && value[i] == u'.') {
        qsizetype fracStart = ++i;
        while (i < n && value[i].isDigit() && value[i].unicode() < 128) {
            ++i;
        }
        fracDigits = i > fracStart;
    }
    if (!intDigits && !fracDigits) {
        return 0.0;
    }
    bool ok = false;
    double number = value.left(i).toDouble(&ok);
    return ok && std::isfinite(number) ? number : 0.0;
}

std::int16_t toInt16(double value) {
    return roundClamped<std::int16_t>(value);
}

std::int32_t toInt32(double value) {
    return roundClamped<std::int32_t>(value);
}

void applyDeviceChoice(Settings& settings, const QString& choice) {
    settings.deviceNumber = choice;
    settings.keyCheck = choice != QStringLiteral("A");
}

ConfigReadResult readConfig(const QByteArray& bytes) {
    ConfigReadResult result;
    QByteArray data = bytes;
    // Editors may put a byte-order mark in front; it is not part of the header line.
    if (data.startsWith("\xEF\xBB\xBF")) {
        data.remove(0, 3);
    }
    QStringList lines = platform::decodeNarrow(data).split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    if (data.isEmpty() || lines.first() != QLatin1String(ConfigHeader)) {
        return result;
    }
    result.valid = true;
    Settings& s = result.settings;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        qsizetype eq = line.indexOf(u'=');
        if (eq < 0) {
            continue;
        }
        const QString key = trimSpaces(line.left(eq)).toUpper();
        const QString value = trimSpaces(line.mid(eq + 1));
        const double number = leadingNumber(value);
        if (key == u"TOP") {
            result.top = number;
            s.top = toInt32(number);
        } else if (key == u"LEFT") {
            result.left = number;
            s.left = toInt32(number);
        } else if (key == u"REPEAT") {
            std::int16_t repeat = toInt16(number);
            // A mode the repeat menu does not have falls back to no repeat.
            s.repeat = repeat >= 0 && repeat <= 3 ? repeat : 0;
        } else if (key == u"LFILE") {
            s.lastFile = value;
        } else if (key == u"USEB") {
            s.useDeviceB = number != 0.0;
        } else if (key == u"KEYCHECK") {
            s.keyCheck = number != 0.0;
            if (result.deviceCommand) {
                result.keyCheckAfterDevice = s.keyCheck;
            }
        } else if (key == u"DEVICENUMBER") {
            if (value == u"A" || value == u"B" || value == u"Auto") {
                applyDeviceChoice(s, value);
                result.deviceCommand = value;
                result.keyCheckAfterDevice.reset();
            }
        } else if (key == u"RESET-A") {
            s.deviceSlots[0].resetType = toInt16(number);
        } else if (key == u"RESETCODE-A") {
            s.deviceSlots[0].resetCode = value;
        } else if (key == u"DEVICE-A") {
            s.deviceSlots[0].device = toInt16(number);
        } else if (key == u"RESET-B") {
            s.deviceSlots[1].resetType = toInt16(number);
        } else if (key == u"RESETCODE-B") {
            s.deviceSlots[1].resetCode = value;
        } else if (key == u"DEVICE-B") {
            s.deviceSlots[1].device = toInt16(number);
        } else if (key == u"KEY-B") {
            s.deviceSlots[1].keywords = value;
        } else if (key == u"USELHASA") {
            s.useLhasa = number != 0.0;
        } else if (key == u"LHASAPATH") {
            s.lhasaPath = value;
        } else if (key == u"SOUNDFONT") {
            s.soundFont = value;
        } else if (key == u"AUDIODRIVER") {
            s.audioDriver = value;
        } else if (key == u"TRANSPOSE") {
            const std::int16_t semitones = toInt16(number);
            s.transpose = semitones >= -12 && semitones <= 12 ? semitones : 0;
        } else if (key == u"LYRICS") {
            s.lyricsShown = number != 0.0;
        } else if (key == u"LOOPS") {
            const std::int16_t passes = toInt16(number);
            s.loops = passes >= 0 && passes <= 8 ? passes : Settings{}.loops;
        } else if (key == u"LOOPALWAYS") {
            s.loopAlways = number != 0.0;
        } else if (key == u"CHANNELS") {
            s.channelsShown = number != 0.0;
        }
    }
    return result;
}

QByteArray writeConfig(const Settings& s) {
    const QStringList lines = {
        QLatin1String(ConfigHeader),
        QStringLiteral("TOP=%1").arg(s.top),
        QStringLiteral("LEFT=%1").arg(s.left),
        QStringLiteral("REPEAT=%1").arg(s.repeat),
        QStringLiteral("LFILE=") + oneLine(s.lastFile),
        QStringLiteral("USEB=") + boolText(s.useDeviceB),
        QStringLiteral("KEYCHECK=") + boolText(s.keyCheck),
        QStringLiteral("DEVICENUMBER=") + oneLine(s.deviceNumber),
        QString(),
        QStringLiteral("[DEVICE A]"),
        QStringLiteral("RESET-A=%1").arg(s.deviceSlots[0].resetType),
        QStringLiteral("RESETCODE-A=") + oneLine(s.deviceSlots[0].resetCode),
        QStringLiteral("DEVICE-A=%1").arg(s.deviceSlots[0].device),
        QString(),
        QStringLiteral("[DEVICE B]"),
        QStringLiteral("RESET-B=%1").arg(s.deviceSlots[1].resetType),
        QStringLiteral("RESETCODE-B=") + oneLine(s.deviceSlots[1].resetCode),
        QStringLiteral("DEVICE-B=%1").arg(s.deviceSlots[1].device),
        QStringLiteral("KEY-B=") + oneLine(s.deviceSlots[1].keywords),
        QString(),
        QStringLiteral("[LHASA OPTION]"),
        QStringLiteral("USELHASA=") + boolText(s.useLhasa),
        QStringLiteral("LHASAPATH=") + oneLine(s.lhasaPath),
        // Keys older readers do not know; they skip them.
        QString(),
        QStringLiteral("[SOFT SYNTH]"),
        QStringLiteral("SOUNDFONT=") + oneLine(s.soundFont),
        QStringLiteral("AUDIODRIVER=") + oneLine(s.audioDriver),
        QStringLiteral("TRANSPOSE=%1").arg(s.transpose),
        QStringLiteral("LYRICS=") + boolText(s.lyricsShown),
        QStringLiteral("LOOPS=%1").arg(s.loops),
        QStringLiteral("LOOPALWAYS=") + boolText(s.loopAlways),
        QStringLiteral("CHANNELS=") + boolText(s.channelsShown),
    };
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    return out;
}

}  // namespace vesk::config
