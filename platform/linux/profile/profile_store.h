#pragma once

#include "platform/profile.h"

namespace kumoden {

// Profile files on the local file system, read and written with the
// results the program had from the Windows profile functions.
//
// A file that is valid UTF-8 (plain ASCII included) is UTF-8; any other
// file was carried over from Windows and is read and written as CP932.
// Lines end in "\r\n", "\n" or a lone "\r"; added lines take the file's
// style, and a new file gets "\n", the platform's own.
//
// Writes go through a temporary file and a rename, so a crash never leaves
// a half-written file. Names and values that could not be read back as
// written (line breaks, NUL, '=' in a key, ']' in a section, invalid UTF-8)
// are refused, and so is a write that would turn a CP932 file into one read
// as UTF-8 while it holds other characters than ASCII.
class ProfileStore final : public Profile {
public:
    std::string readString(const std::string& section, const std::string& key, const std::string& path,
                           std::size_t capacity) override;

    bool writeString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override;
};

} // namespace kumoden
