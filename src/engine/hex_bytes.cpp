#include "engine/hex_bytes.h"

namespace vesk::engine {
namespace {

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> parseHexBytes(const QString& text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(text.size() / 3 + 1));
    int value = 0;
    bool inToken = false;
    for (QChar c : text) {
        if (c == u' ') {
            if (!inToken) {
                return std::nullopt;
            }
            bytes.push_back(static_cast<std::uint8_t>(value));
            value = 0;
            inToken = false;
            continue;
        }
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + digit;
        if (value > 0xFF) {
            return std::nullopt;
        }
        inToken = true;
    }
    if (!inToken) {
        return std::nullopt;
    }
    bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

}  // namespace vesk::engine
