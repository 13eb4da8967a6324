#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kumoden {

// Profile (INI) files. Section and key names match without regard to case.
class Profile {
public:
    Profile() = default;
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;
    virtual ~Profile() = default;

    // The value of the key, blanks around it and one pair of enclosing
    // quotes dropped, cut to at most capacity - 1 bytes of the file's
    // encoding at a character boundary and handed over as UTF-8. Empty
    // when the file, the section or the key is missing or the value is
    // empty. The value may hold NUL characters when the file does.
    virtual std::string readString(const std::string& section, const std::string& key,
                                   const std::string& path, std::size_t capacity) = 0;

    // Sets the key's value, adding the key and the section when missing.
    // Every other line and byte of the file stays; the file keeps its
    // encoding. False when the file could not be written.
    virtual bool writeString(const std::string& section, const std::string& key, const std::string& value,
                             const std::string& path) = 0;
};

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
