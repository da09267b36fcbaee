// The reset message text from the configuration file and the options dialog.

#include <QStringList>
#include <cstddef>
#include <cstdint>

#include "engine/hex_bytes.h"
#include "fuzz_support.h"

using vesk::fuzz::require;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vesk::fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(vesk::fuzz::bytesOf(data, size));
    const auto bytes = vesk::engine::parseHexBytes(text);
    if (!bytes) {
        return 0;
    }
    // Accepted text has one token per byte; written back in the canonical form it must
    // read as the same bytes.
    require(static_cast<qsizetype>(bytes->size()) == text.split(u' ').size(), "one byte per token");
    QStringList tokens;
    for (const std::uint8_t b : *bytes) {
        tokens.append(QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper());
    }
    const auto again = vesk::engine::parseHexBytes(tokens.join(u' '));
    require(again && *again == *bytes, "canonical text reads back the same bytes");
    return 0;
}
