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

} // namespace kumoden
