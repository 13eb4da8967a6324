#include "model/number_text.h"

#include "model/rounding.h"

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

// Takes a leading sign off the text; true when it was a minus.
bool takeSign(std::string_view& text)
{
    if (text.empty() || (text.front() != '+' && text.front() != '-')) {
        return false;
    }
    const bool negative = text.front() == '-';
    text.remove_prefix(1);
    return negative;
}

// Anything from 2^62 on is out of every range we serve, so counting stops
// there instead of overflowing.
constexpr std::int64_t kCap = std::int64_t{1} << 62;

// A run of digits at the start of a text and what it is worth.
struct WholePart {
    std::int64_t value = 0; // at most kCap
    bool hasDigits = false;
    std::size_t length = 0; // characters taken
};

// The whole part, digit by digit; commas may group the digits after the
// first.
WholePart readWholePart(std::string_view text)
{
    WholePart whole;
    for (; whole.length < text.size(); ++whole.length) {
        const char c = text[whole.length];
        if (isDigit(c)) {
            whole.hasDigits = true;
            whole.value = whole.value <= (kCap - 9) / 10 ? whole.value * 10 + (c - '0') : kCap;
        } else if (c != ',' || !whole.hasDigits) {
            break;
        }
    }
    return whole;
}

// A fraction, '.' and its digits, at the start of a text: only whether it
// is below, at or above one half matters.
struct FractionPart {
    Half half = Half::below;
    bool hasDigits = false;
    std::size_t length = 0; // characters taken, the point included
};

FractionPart readFraction(std::string_view text)
{
    FractionPart fraction;
    if (text.empty() || text.front() != '.') {
        return fraction;
    }
    std::size_t end = 1;
    while (end < text.size() && isDigit(text[end])) {
        ++end;
    }
    const std::string_view digits = text.substr(1, end - 1);
    fraction.length = end;
    fraction.hasDigits = !digits.empty();
    if (fraction.hasDigits && digits.front() > '5') {
        fraction.half = Half::above;
    } else if (fraction.hasDigits && digits.front() == '5') {
        fraction.half =
            digits.find_first_not_of('0', 1) == std::string_view::npos ? Half::exactly : Half::above;
    }
    return fraction;
}

} // namespace

std::optional<std::int64_t> TextToWhole(std::string_view text, std::int64_t minimum, std::int64_t maximum)
{
    text = trimBlanks(text);
    const bool negative = takeSign(text);
    const WholePart whole = readWholePart(text);
    text.remove_prefix(whole.length);
    const FractionPart fraction = readFraction(text);
    text.remove_prefix(fraction.length);
    if ((!whole.hasDigits && !fraction.hasDigits) || !text.empty()) {
        return std::nullopt;
    }
    const std::int64_t rounded = RoundHalfEven(whole.value, fraction.half);
    if (rounded >= kCap) {
        return std::nullopt;
    }
    const std::int64_t value = negative ? -rounded : rounded;
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
