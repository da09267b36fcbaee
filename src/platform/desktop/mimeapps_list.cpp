#include "platform/desktop/mimeapps_list.h"

namespace vesk::platform::desktop {

MimeAppsList::Line MimeAppsList::makeLine(const QByteArray& raw, const QByteArray& currentGroup) {
    Line line{raw, currentGroup, {}, false};
    const QByteArray text = raw.trimmed();
    if (text.startsWith('[') && text.endsWith(']') && text.size() >= 2) {
        line.header = true;
        line.group = text.mid(1, text.size() - 2);
        return line;
    }
    if (text.startsWith('#')) {
        return line;
    }
    const qsizetype eq = text.indexOf('=');
    if (eq > 0) {
        line.key = text.left(eq).trimmed();
    }
    return line;
}

MimeAppsList MimeAppsList::parse(const QByteArray& bytes) {
    MimeAppsList list;
    if (bytes.isEmpty()) {
        return list;
    }
    QByteArray group;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            end = bytes.size();
        }
        const QByteArray raw = bytes.mid(start, end - start);
        Line line = makeLine(raw, group);
        if (line.header) {
            group = line.group;
        }
        list.lines_.push_back(std::move(line));
        start = end + 1;
    }
    list.endsWithBreak_ = bytes.endsWith('\n');
    list.crlf_ = !list.lines_.empty() && list.lines_.front().raw.endsWith('\r');
    return list;
}

QByteArray MimeAppsList::serialize() const {
    QByteArray out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].raw;
        if (i + 1 < lines_.size() || endsWithBreak_) {
            out += '\n';
        }
    }
    return out;
}

std::optional<QString> MimeAppsList::value(const QString& group, const QString& key) const {
    const QByteArray g = group.toUtf8();
    const QByteArray k = key.toUtf8();
    for (const Line& line : lines_) {
        if (!line.header && line.group == g && line.key == k) {
            const QByteArray text = line.raw.trimmed();
            return QString::fromUtf8(text.mid(text.indexOf('=') + 1).trimmed());
        }
    }
    return std::nullopt;
}

int MimeAppsList::groupEnd(const QByteArray& group) const {
    int end = -1;
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        const Line& line = lines_[i];
        if (line.group != group) {
            if (end >= 0) {
                break;
            }
        } else if (line.header || !line.raw.trimmed().isEmpty()) {
            end = i + 1;
        }
    }
    return end;
}

// A group name may appear more than once; the desktop's readers take the first line of
// a key from any of them, so every one is changed.
void MimeAppsList::setValue(const QString& group, const QString& key, const QString& value) {
    const QByteArray g = group.toUtf8();
    const QByteArray k = key.toUtf8();
    const QByteArray raw = k + '=' + value.toUtf8();
    const QByteArray ending = crlf_ ? "\r" : "";
    bool replaced = false;
    for (auto it = lines_.begin(); it != lines_.end();) {
        if (!it->header && it->group == g && it->key == k) {
            if (replaced) {
                it = lines_.erase(it);
                continue;
            }
            it->raw = raw + (it->raw.endsWith('\r') ? "\r" : "");
            replaced = true;
        }
        ++it;
    }
    if (replaced) {
        return;
    }
    const int at = groupEnd(g);
    if (at < 0) {
        if (!lines_.empty() && !lines_.back().raw.trimmed().isEmpty()) {
            lines_.push_back(makeLine(ending, lines_.back().group));
        }
        lines_.push_back(makeLine('[' + g + ']' + ending, g));
        lines_.push_back(makeLine(raw + ending, g));
        endsWithBreak_ = true;
        return;
    }
    lines_.insert(lines_.begin() + at, makeLine(raw + ending, g));
    if (at == static_cast<int>(lines_.size()) - 1) {
        endsWithBreak_ = true;
    }
}

bool MimeAppsList::remove(const QString& group, const QString& key) {
    const QByteArray g = group.toUtf8();
    const QByteArray k = key.toUtf8();
    const auto before = lines_.size();
    std::erase_if(
        lines_, [&](const Line& line) { return !line.header && line.group == g && line.key == k; });
    return lines_.size() != before;
}

QStringList splitDesktopList(const QString& value) {
    QStringList ids;
    for (const QString& piece : value.split(u';')) {
        const QString id = piece.trimmed();
        if (!id.isEmpty()) {
            ids.append(id);
        }
    }
    return ids;
}

QString joinDesktopList(const QStringList& ids) {
    QString out;
    for (const QString& id : ids) {
        out += id + u';';
    }
    return out;
}

}  // namespace vesk::platform::desktop
