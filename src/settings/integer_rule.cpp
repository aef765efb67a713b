#include "settings/integer_rule.h"

#include "platform/app_error.h"
#include "platform/codepage.h"

#include <limits>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::int32_t> parseIntegerRule(const Text& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] != '\0' && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    if (i == text.size()) return std::nullopt;

    if (text[i] == '$') {
        ++i;
        const std::size_t digits = text.size() - i;
        if (digits < 1 || digits > 8) return std::nullopt;
        std::uint32_t value = 0;
        for (; i < text.size(); ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0) return std::nullopt;
            value = value << 4 | std::uint32_t(d);
        }
        return static_cast<std::int32_t>(value);
    }

    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t integerOrThrow(const Text& text)
{
    if (std::optional<std::int32_t> value = parseIntegerRule(text)) return *value;
    throw AppError("'" + text + fixedText("' は整数ではありません"));
}
