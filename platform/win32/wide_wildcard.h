#pragma once

#include <string>
#include <string_view>

namespace kumoden {

// A file-name pattern checked against a file's long name: "*" any run of
// characters, "?" any one character, letters compared without regard to
// case (as the file system folds them), and a trailing ".*" that also
// matches a name without extension.
//
// The directory search of Windows also tries each pattern against the 8.3
// alias of a long name, so "abc*.pdf" finds "abc2.pdfx" through its alias
// "ABC2~1.PDF"; this check lets only names that match themselves through.
class WideWildcard {
public:
    explicit WideWildcard(std::wstring_view pattern);

    bool matches(std::wstring_view name) const;

private:
    static bool match(std::wstring_view pattern, std::wstring_view name);

    std::wstring m_pattern;    // folded
    std::wstring m_withoutExt; // the pattern without its trailing ".*", if it has one
    bool m_hasStarExt = false;
};

// The text in the file system's letter case for comparisons (upper case,
// one unit for one unit).
std::wstring FoldCase(std::wstring_view text);

} // namespace kumoden
