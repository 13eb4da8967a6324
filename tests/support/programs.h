#pragma once

#include <filesystem>
#include <string>

namespace kumoden::test {

// A program of this build (kumoden, kumoden-print, the tests' helpers),
// beside the test programs; ".exe" is added on Windows.
std::filesystem::path builtProgram(const std::string& name);

// An installed program, found on PATH; throws when it is not installed
// (POSIX only: the Windows tests start only programs of their own build).
std::filesystem::path installedProgram(const std::string& name);

} // namespace kumoden::test
