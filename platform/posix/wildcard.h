#pragma once

#include <string>
#include <string_view>

namespace kumoden {

// A file-name pattern as the directory query takes it: "*" any run of
// characters, "?" any one character, letters compared without regard to
// case, and a trailing ".*" that also matches a name without extension.
class Wildcard {
public:
    explicit Wildcard(std::string_view pattern);

    bool matches(std::string_view name) const;

private:
    static bool match(std::string_view pattern, std::string_view name);

    std::string m_pattern;    // folded to lower case
    std::string m_withoutExt; // the pattern without its trailing ".*", if it has one
    bool m_hasStarExt = false;
};

} // namespace kumoden
