#include "settings/integertext.h"

#include <cstdint>
#include <limits>

namespace {

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// The digits after a hexadecimal prefix, as an unsigned 32-bit value.
std::optional<std::uint32_t> parseHexDigits(QStringView digits) {
    if (digits.isEmpty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (QChar c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + std::uint64_t(digit);
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
    }
    return std::uint32_t(value);
}

// Returns the digits following a hexadecimal prefix, or nullopt when there is no prefix.
std::optional<QStringView> afterHexPrefix(QStringView text) {
    if (text.startsWith(u'$') || text.startsWith(u'x') || text.startsWith(u'X'))
        return text.mid(1);
    if (text.startsWith(u"0x") || text.startsWith(u"0X"))
        return text.mid(2);
    return std::nullopt;
}

std::optional<int> parseDecimalMagnitude(QStringView digits, bool negative) {
    if (digits.isEmpty())
        return std::nullopt;
    std::int64_t value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::int64_t(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

std::optional<int> parseInteger(QStringView text, bool signBeforeHex) {
    while (text.startsWith(u' '))
        text = text.mid(1);
    bool negative = false;
    bool signed_ = false;
    if (text.startsWith(u'+') || text.startsWith(u'-')) {
        negative = text.front() == u'-';
        signed_ = true;
        text = text.mid(1);
    }
    if (const auto hexDigits = afterHexPrefix(text)) {
        if (signed_ && !signBeforeHex)
            return std::nullopt;
        const auto value = parseHexDigits(*hexDigits);
        if (!value)
            return std::nullopt;
        const std::uint32_t bits = negative ? std::uint32_t(0) - *value : *value;
        return static_cast<int>(bits);
    }
    return parseDecimalMagnitude(text, negative);
}

} // namespace

std::optional<int> parseStoredInteger(QStringView text) {
    return parseInteger(text, false);
}

std::optional<int> parseColourInteger(QStringView text) {
    return parseInteger(text, true);
}
