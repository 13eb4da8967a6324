#include "tests/support/programs.h"

#include <windows.h>

namespace kumoden::test {

std::filesystem::path builtProgram(const std::string& name)
{
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(length);
    return std::filesystem::path(buffer).parent_path() / (name + ".exe");
}

} // namespace kumoden::test
