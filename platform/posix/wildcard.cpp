#include "platform/posix/wildcard.h"

namespace kumoden {
namespace {

char fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Length of the character starting at name[i]: a well-formed UTF-8
// sequence counts as one character, any other byte as one by itself.
std::size_t charLength(std::string_view name, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(name[i]);
    std::size_t expected = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        expected = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        expected = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        expected = 4;
    }
    if (i + expected > name.size()) {
        return 1;
    }
    for (std::size_t k = 1; k < expected; ++k) {
        if (!isContinuation(name[i + k])) {
            return 1;
        }
    }
    return expected;
}

} // namespace

Wildcard::Wildcard(std::string_view pattern)
{
    m_pattern.reserve(pattern.size());
    for (char c : pattern) {
        m_pattern.push_back(fold(c));
    }
    if (m_pattern.size() >= 2 && m_pattern.ends_with(".*")) {
        m_hasStarExt = true;
        m_withoutExt = m_pattern.substr(0, m_pattern.size() - 2);
    }
}

bool Wildcard::matches(std::string_view name) const
{
    return match(m_pattern, name) || (m_hasStarExt && match(m_withoutExt, name));
}

// Greedy matching that backtracks only to the last star: linear for the
// patterns the watch uses, never exponential.
bool Wildcard::match(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += charLength(name, n);
        } else if (p < pattern.size() && pattern[p] == fold(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            starN += charLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace kumoden
