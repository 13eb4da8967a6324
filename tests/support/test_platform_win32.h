#pragma once

#include <windows.h>

#include <filesystem>

namespace kumoden::test {

// Adds file attributes (read-only, hidden, system, ...); throws on failure.
void AddAttributes(const std::filesystem::path& path, DWORD attributes);

} // namespace kumoden::test
