#include "intake/member_filter.h"

#include <QStringList>

namespace vesk::intake {

bool wildcardMatch(const QString& pattern, const QString& text) {
    // Greedy matching with one backtrack point: linear in practice, never exponential.
    qsizetype p = 0;
    qsizetype t = 0;
    qsizetype starAt = -1;
    qsizetype starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            starText = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || pattern[p].toCaseFolded() == text[t].toCaseFolded())) {
            ++p;
            ++t;
        } else if (starAt >= 0) {
            p = starAt + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

bool wantedByPatterns(const QString& memberName, const QString& patterns) {
    if (memberName.compare(patterns, Qt::CaseInsensitive) == 0) {
        return true;
    }
    const QStringList words = patterns.split(u' ', Qt::SkipEmptyParts);
    for (const QString& word : words) {
        if (wildcardMatch(word, memberName)) {
            return true;
        }
    }
    return false;
}

namespace {

bool rarPatternMatches(const QString& name, const QString& pattern) {
    if (!pattern.contains(u'*')) {
        return name.compare(pattern, Qt::CaseInsensitive) == 0;
    }
    const qsizetype tail = std::max<qsizetype>(0, pattern.size() - 2);
    if (name.size() < tail) {
        return false;
    }
    return name.right(tail).compare(pattern.right(tail), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool rarWanted(const QString& memberName, const QString& patterns) {
    if (!patterns.contains(u' ')) {
        return rarPatternMatches(memberName, patterns);
    }
    const QStringList parts = patterns.split(u' ');
    for (const QString& part : parts) {
        if (rarPatternMatches(memberName, part)) {
            return true;
        }
    }
    return false;
}

bool isSingleMemberRequest(const QString& patterns) {
    return !patterns.contains(u' ') && !patterns.contains(u'*');
}

std::optional<QString> safeRelativePath(const QString& memberName) {
    // The system cuts a path at NUL: the file written would not be the one recorded.
    if (memberName.contains(QChar(0))) {
        return std::nullopt;
    }
    QString name = memberName;
    name.replace(u'\\', u'/');
    if (name.startsWith(u'/')) {
        return std::nullopt;
    }
    if (name.size() >= 2 && name[1] == u':' && name[0].isLetter()) {
        return std::nullopt;
    }
    QStringList kept;
    for (const QString& part : name.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"..") {
            return std::nullopt;
        }
        if (part != u".") {
            kept.append(part);
        }
    }
    if (kept.isEmpty()) {
        return std::nullopt;
    }
    return kept.join(u'/');
}

}  // namespace vesk::intake
