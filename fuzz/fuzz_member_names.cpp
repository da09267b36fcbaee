// Archive member names and the extraction patterns. The first line of the input is the
// pattern text, the rest the member name.
//
// Two promises: a path called safe stays inside the destination, and the wildcard match
// answers as a plain dynamic-programming match does (the fast matcher backtracks once).

#include <QDir>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "intake/member_filter.h"

using vesk::fuzz::require;

namespace {

bool sameLetter(QChar a, QChar b) {
    return a.toCaseFolded() == b.toCaseFolded();
}

// reach[j]: the pattern read so far matches the first j characters of the text.
bool referenceMatch(const QString& pattern, const QString& text) {
    const auto n = static_cast<std::size_t>(text.size());
    std::vector<char> reach(n + 1, 0);
    reach[0] = 1;
    for (const QChar p : pattern) {
        std::vector<char> next(n + 1, 0);
        if (p == u'*') {
            char any = 0;
            for (std::size_t j = 0; j <= n; ++j) {
                any = static_cast<char>(any | reach[j]);
                next[j] = any;
            }
        } else {
            for (std::size_t j = 1; j <= n; ++j) {
                const QChar t = text[static_cast<qsizetype>(j - 1)];
                next[j] = static_cast<char>(reach[j - 1] && (p == u'?' || sameLetter(p, t)));
            }
        }
        reach.swap(next);
    }
    return reach[n] != 0;
}

void checkSafePath(const QString& name) {
    const std::optional<QString> relative = vesk::intake::safeRelativePath(name);
    if (!relative) {
        return;
    }
    require(!relative->isEmpty(), "a safe path is not empty");
    require(!relative->startsWith(u'/'), "a safe path is relative");
    require(!relative->contains(u'\\'), "a safe path uses only '/'");
    require(!relative->contains(QChar(0)), "a safe path has no NUL, where the system would cut it");
    for (const QString& part : relative->split(u'/')) {
        require(!part.isEmpty() && part != u"." && part != u"..",
                "a safe path has no empty, . or .. parts");
    }
    const QString destination = QStringLiteral("/tmp/vesk-work");
    const QString joined = QDir::cleanPath(destination + u'/' + *relative);
    require(joined.startsWith(destination + u'/'), "a safe path stays inside the destination");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vesk::fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vesk::intake;
    const QString input = QString::fromUtf8(vesk::fuzz::bytesOf(data, size));
    const qsizetype newline = input.indexOf(u'\n');
    const QString patterns = newline < 0 ? input : input.left(newline);
    const QString name = newline < 0 ? QString() : input.mid(newline + 1);

    checkSafePath(name);
    checkSafePath(patterns);

    const bool matched = wildcardMatch(patterns, name);
    if (patterns.size() <= 256 && name.size() <= 256) {
        require(matched == referenceMatch(patterns, name), "wildcard match as the reference");
    }
    require(wildcardMatch(QStringLiteral("*"), name), "'*' matches every name");
    if (!name.contains(u'*') && !name.contains(u'?')) {
        require(wildcardMatch(name, name), "a plain name matches itself");
    }
    // The pattern lists only have to finish; what they choose is tested beside the code.
    (void)wantedByPatterns(name, patterns);
    (void)rarWanted(name, patterns);
    (void)isSingleMemberRequest(patterns);
    return 0;
}
