#pragma once

#include <string_view>

namespace kumoden {

// Whether a key line can hold these names and this value so that they read
// back as written: no line break or NUL anywhere, no "]" in the section, no
// "=" in the key, and no key that would read as a comment or a section.
// Backends refuse a write that fails this rather than break the file.
inline bool ProfileCanHold(std::string_view section, std::string_view key, std::string_view value)
{
    const auto breaksLine = [](std::string_view text) {
        return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    };
    if (section.empty() || key.empty() || breaksLine(section) || breaksLine(key) || breaksLine(value)) {
        return false;
    }
    return section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
           key.front() != ';' && key.front() != '[';
}

} // namespace kumoden
