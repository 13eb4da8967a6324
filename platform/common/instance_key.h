#pragma once

#include <cstdint>
#include <string_view>

namespace kumoden {

// A short stable key for one installed copy of the program, from its
// executable's path (FNV-1a): backends name their single-instance lock
// after it.
inline std::uint64_t InstanceKey(std::string_view executable)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : executable) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

} // namespace kumoden
