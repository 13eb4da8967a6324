#pragma once

#include <algorithm>
#include <string>

namespace kumoden::test {

// A path of the host as a program under Wine names it: Wine's drive Z: is
// the host's root.
inline std::string UnderWine(const std::string& hostPath)
{
    std::string name = "Z:" + hostPath;
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

} // namespace kumoden::test
