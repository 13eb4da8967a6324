#pragma once

#include "platform/application.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/profile.h"

#include <filesystem>
#include <memory>

namespace kumoden::test {

// The real backends of the platform the tests were built for, so that one
// test source checks every backend.
std::unique_ptr<FileSystem> MakeFileSystem();
std::unique_ptr<Profile> MakeProfile();
std::unique_ptr<Clock> MakeClock();
// The program at the given path (UTF-8); without one, the running program.
std::unique_ptr<Application> MakeApplication(const std::string& executable = {});

// What the platform calls read-only: the file refuses a plain delete.
void MakeReadOnly(const std::filesystem::path& path);
// What the platform calls hidden. On Linux that is a name starting with a
// dot, so the file must already have one.
void MakeHidden(const std::filesystem::path& path);

// A folder on another volume than the temporary folder's, to move across.
std::filesystem::path OtherVolume();
// A file system of 1 MiB that the tests' runner mounts (KUMODEN_SMALL_VOLUME,
// a host path); throws when the runner gave none.
std::filesystem::path SmallVolume();

} // namespace kumoden::test
