#include "platform/linux/posix/posix_application.h"
#include "platform/linux/posix/posix_file_system.h"
#include "platform/linux/posix/system_clock.h"
#include "platform/linux/profile/profile_store.h"
#include "tests/support/test_platform.h"

#include <cstdlib>
#include <stdexcept>

namespace kumoden::test {

std::unique_ptr<FileSystem> MakeFileSystem()
{
    return std::make_unique<PosixFileSystem>();
}

std::unique_ptr<Profile> MakeProfile()
{
    return std::make_unique<ProfileStore>();
}

std::unique_ptr<Application> MakeApplication(const std::string& executable)
{
    return executable.empty() ? std::make_unique<PosixApplication>()
                              : std::make_unique<PosixApplication>(executable);
}

std::unique_ptr<Clock> MakeClock()
{
    return std::make_unique<SystemClock>();
}

void MakeReadOnly(const std::filesystem::path& path)
{
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
}

void MakeHidden(const std::filesystem::path& path)
{
    if (!path.filename().string().starts_with('.')) {
        throw std::logic_error("a hidden file's name starts with a dot here: " + path.string());
    }
}

std::filesystem::path OtherVolume()
{
    // A tmpfs of its own on Linux, never the temporary folder's.
    return "/dev/shm";
}

std::filesystem::path SmallVolume()
{
    const char* path = std::getenv("KUMODEN_SMALL_VOLUME");
    if (!path || !*path) {
        throw std::runtime_error("KUMODEN_SMALL_VOLUME is not set: run the test through ctest");
    }
    return path;
}

} // namespace kumoden::test
