#include "model/number_text.h"

#include <limits>

namespace kumoden {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::optional<std::int64_t> TextToWhole(std::string_view text, std::int64_t minimum, std::int64_t maximum)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    // Whole part, digit by digit; anything from 2^62 on is out of every
    // range we serve, so the count stops there instead of overflowing.
    constexpr std::int64_t cap = std::int64_t{1} << 62;
    std::int64_t whole = 0;
    bool sawDigit = false;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            sawDigit = true;
            whole = whole <= (cap - 9) / 10 ? whole * 10 + (c - '0') : cap;
        } else if (c == ',' && sawDigit) {
            continue;
        } else {
            break;
        }
    }

    // Fraction: only whether it is below, at or above one half matters.
    int half = -1; // -1 below, 0 exactly one half, 1 above
    if (i < text.size() && text[i] == '.') {
        ++i;
        const std::size_t start = i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
        }
        const std::string_view fraction = text.substr(start, i - start);
        sawDigit = sawDigit || !fraction.empty();
        if (!fraction.empty()) {
            if (fraction.front() > '5') {
                half = 1;
            } else if (fraction.front() == '5') {
                half = fraction.find_first_not_of('0', 1) == std::string_view::npos ? 0 : 1;
            }
        }
    }
    if (!sawDigit || i != text.size()) {
        return std::nullopt;
    }

    if (half == 1 || (half == 0 && whole % 2 == 1)) {
        ++whole;
    }
    if (whole >= cap) {
        return std::nullopt;
    }
    const std::int64_t value = negative ? -whole : whole;
    if (value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

namespace {

template <typename Int> std::optional<Int> textToRange(std::string_view text)
{
    const auto value = TextToWhole(text, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max());
    if (!value) {
        return std::nullopt;
    }
    return static_cast<Int>(*value);
}

} // namespace

std::optional<std::int32_t> TextToLong(std::string_view text)
{
    return textToRange<std::int32_t>(text);
}

std::optional<std::int16_t> TextToInteger(std::string_view text)
{
    return textToRange<std::int16_t>(text);
}

} // namespace kumoden
