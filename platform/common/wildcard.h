#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kumoden {

// A file-name pattern as the directory query takes it, the same on every
// platform: "*" any run of characters, "?" any one character, and a
// trailing ".*" that also matches a name without extension.
//
// Text is UTF-8. Letters are compared as the Windows directory query
// compares them: each character of the basic plane by its simple upper-case
// mapping (full-width, Greek, Cyrillic and every other cased script alike,
// whatever the locale); characters beyond it as they are. A byte that
// starts no well-formed character (a Linux name need not be UTF-8) is a
// character of its own, folded only when it is an ASCII letter.
class Wildcard {
public:
    explicit Wildcard(std::string_view pattern);

    bool matches(std::string_view name) const;

private:
    using Units = std::vector<std::uint32_t>;
    static bool match(const Units& pattern, std::size_t patternSize, const Units& name);

    Units m_pattern; // folded
    bool m_hasStarExt = false;
};

// Orders two names as the directory query compares them, letter case
// aside (folded as above): negative, zero or positive.
int CompareFolded(std::string_view a, std::string_view b);

// The simple upper-case mapping of a code point; itself when it has none or
// lies beyond the basic plane.
std::uint32_t UpperCase(std::uint32_t codePoint);

} // namespace kumoden
