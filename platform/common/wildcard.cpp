#include "platform/common/wildcard.h"

#include "platform/common/utf8.h"

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

std::vector<std::uint32_t> foldedUnits(std::string_view text)
{
    std::vector<std::uint32_t> units;
    units.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto decoded = DecodeUtf8(text, i);
        if (decoded) {
            units.push_back(UpperCase(decoded->codePoint));
            i += decoded->length;
        } else {
            units.push_back(kLoneByte + static_cast<unsigned char>(text[i]));
            ++i;
        }
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
