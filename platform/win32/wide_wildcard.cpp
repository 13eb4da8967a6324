#include "platform/win32/wide_wildcard.h"

#include <windows.h>

#include <climits>

namespace kumoden {
namespace {

bool isHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Units in the character starting at name[i]: a surrogate pair is one
// character, any other unit one by itself.
std::size_t charLength(std::wstring_view name, std::size_t i)
{
    return (isHighSurrogate(name[i]) && i + 1 < name.size() && isLowSurrogate(name[i + 1])) ? 2 : 1;
}

} // namespace

std::wstring FoldCase(std::wstring_view text)
{
    std::wstring folded(text);
    if (folded.empty() || folded.size() > INT_MAX) {
        return folded;
    }
    const int length = static_cast<int>(folded.size());
    // Upper-casing keeps the length for every name the file system takes;
    // should it not, the text is compared as it is.
    std::wstring upper(folded.size(), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, folded.data(), length, upper.data(), length,
                      nullptr, nullptr, 0) == length) {
        folded = std::move(upper);
    }
    return folded;
}

WideWildcard::WideWildcard(std::wstring_view pattern) : m_pattern(FoldCase(pattern))
{
    if (m_pattern.size() >= 2 && m_pattern.ends_with(L".*")) {
        m_hasStarExt = true;
        m_withoutExt = m_pattern.substr(0, m_pattern.size() - 2);
    }
}

bool WideWildcard::matches(std::wstring_view name) const
{
    const std::wstring folded = FoldCase(name);
    return match(m_pattern, folded) || (m_hasStarExt && match(m_withoutExt, folded));
}

// Greedy matching that backtracks only to the last star: linear for the
// patterns the watch uses, never exponential.
bool WideWildcard::match(std::wstring_view pattern, std::wstring_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::wstring_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == L'?') {
            ++p;
            n += charLength(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            starN += charLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace kumoden
