#include "platform/common/wildcard.h"

#include <algorithm>

namespace kumoden {
namespace {

struct CaseRun {
    std::uint16_t first;
    std::uint16_t last;
    std::int32_t delta;
    std::uint16_t step;
};

constexpr CaseRun kUpperCase[] = {
#include "platform/common/upper_case_table.inc"
};

// Bytes that start no well-formed character are kept apart from every code
// point.
constexpr std::uint32_t kLoneByte = 0x110000;
constexpr std::uint32_t kStar = '*';
constexpr std::uint32_t kQuestion = '?';

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The code point starting at text[i] and its length in bytes; a byte that
// starts no well-formed sequence (overlong, a surrogate, past U+10FFFF,
// cut short) is one unit by itself.
std::uint32_t decode(std::string_view text, std::size_t i, std::size_t& length)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    length = 1;
    if (lead < 0x80) {
        return lead;
    }
    // Leading byte: length of the sequence, its bits of the value, the
    // smallest value a sequence of that length may carry.
    std::size_t expected = 4;
    std::uint32_t value = lead & 0x07;
    std::uint32_t minimum = 0x10000;
    if (lead >= 0xC2 && lead <= 0xDF) {
        expected = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        expected = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead < 0xF0 || lead > 0xF4) {
        return kLoneByte + lead;
    }
    if (i + expected > text.size()) {
        return kLoneByte + lead;
    }
    for (std::size_t k = 1; k < expected; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if (!isContinuation(next)) {
            return kLoneByte + lead;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return kLoneByte + lead;
    }
    length = expected;
    return value;
}

std::vector<std::uint32_t> foldedUnits(std::string_view text)
{
    std::vector<std::uint32_t> units;
    units.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        const std::uint32_t unit = decode(text, i, length);
        units.push_back(unit >= kLoneByte ? unit : UpperCase(unit));
        i += length;
    }
    return units;
}

} // namespace

std::uint32_t UpperCase(std::uint32_t codePoint)
{
    if (codePoint < 0x80) {
        return codePoint >= 'a' && codePoint <= 'z' ? codePoint - 'a' + 'A' : codePoint;
    }
    if (codePoint > 0xFFFF) {
        return codePoint;
    }
    const auto* run = std::lower_bound(std::begin(kUpperCase), std::end(kUpperCase), codePoint,
                                       [](const CaseRun& r, std::uint32_t c) { return r.last < c; });
    if (run == std::end(kUpperCase) || codePoint < run->first || (codePoint - run->first) % run->step != 0) {
        return codePoint;
    }
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(codePoint) + run->delta);
}

int CompareFolded(std::string_view a, std::string_view b)
{
    const auto foldedA = foldedUnits(a);
    const auto foldedB = foldedUnits(b);
    return foldedA < foldedB ? -1 : (foldedB < foldedA ? 1 : 0);
}

Wildcard::Wildcard(std::string_view pattern) : m_pattern(foldedUnits(pattern))
{
    const std::size_t n = m_pattern.size();
    m_hasStarExt = n >= 2 && m_pattern[n - 2] == '.' && m_pattern[n - 1] == kStar;
}

bool Wildcard::matches(std::string_view name) const
{
    const Units folded = foldedUnits(name);
    return match(m_pattern, m_pattern.size(), folded) ||
           (m_hasStarExt && match(m_pattern, m_pattern.size() - 2, folded));
}

// Greedy matching that backtracks only to the last star: linear for the
// patterns the watch uses, never exponential. Only the first patternSize
// units of the pattern count.
bool Wildcard::match(const Units& pattern, std::size_t patternSize, const Units& name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = patternSize;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < patternSize && pattern[p] == kStar) {
            starP = p++;
            starN = n;
        } else if (p < patternSize && (pattern[p] == kQuestion || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP != patternSize) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < patternSize && pattern[p] == kStar) {
        ++p;
    }
    return p == patternSize;
}

} // namespace kumoden
