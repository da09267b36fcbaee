#include "engine/reply_number.h"

#include <cmath>
#include <limits>

namespace vesk::engine {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double leadingNumber(std::string_view reply) {
    std::size_t i = 0;
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t')) {
        ++i;
    }
    double sign = 1.0;
    if (i < reply.size() && (reply[i] == '+' || reply[i] == '-')) {
        sign = reply[i] == '-' ? -1.0 : 1.0;
        ++i;
    }
    double value = 0.0;
    while (i < reply.size() && isDigit(reply[i])) {
        value = value * 10.0 + (reply[i] - '0');
        ++i;
    }
    if (i < reply.size() && reply[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < reply.size() && isDigit(reply[i])) {
            value += (reply[i] - '0') * scale;
            scale /= 10.0;
            ++i;
        }
    }
    return sign * value;
}

std::int32_t leadingWholeNumber(std::string_view reply) {
    const double rounded = std::nearbyint(leadingNumber(reply));
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (rounded <= kMin) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (rounded >= kMax) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace vesk::engine
