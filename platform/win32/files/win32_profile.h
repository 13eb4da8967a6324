#pragma once

#include "platform/profile.h"

namespace kumoden {

// Profile files through the system's own Get/WritePrivateProfileStringW:
// the reference behaviour the portable store is held to. The system reads
// a file without byte-order mark in the ANSI code page (932 on a Japanese
// system) and writes such a file back in it. A path without folder is
// looked for in the Windows folder, as the system does. A write of a
// character the ANSI code page cannot hold is refused rather than turned
// into "?", and so is a write to a read-only file.
class Win32Profile final : public Profile {
public:
    // capacity counts bytes of the ANSI code page, as the narrow profile
    // functions count them: the value is cut at capacity - 1 such bytes,
    // at a character boundary.
    std::string readString(const std::string& section, const std::string& key, const std::string& path,
                           std::size_t capacity) override;
    bool writeString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override;
};

} // namespace kumoden
