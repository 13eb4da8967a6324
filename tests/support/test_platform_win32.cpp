// The Windows backends behind the test suite's platform-neutral helpers.
#include "tests/support/test_platform_win32.h"
#include "tests/support/test_platform.h"
#include "tests/support/wine_drive.h"

#include "platform/win32/files/win32_file_system.h"
#include "platform/win32/files/win32_profile.h"
#include "platform/win32/system/win32_application.h"
#include "platform/win32/system/win32_clock.h"

#include <cstdlib>
#include <stdexcept>
#include <windows.h>

#include <system_error>

namespace kumoden::test {

void AddAttributes(const std::filesystem::path& path, DWORD attributes)
{
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES || !SetFileAttributesW(path.c_str(), now | attributes)) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "cannot set the attributes of a test file");
    }
}

std::unique_ptr<FileSystem> MakeFileSystem()
{
    return std::make_unique<Win32FileSystem>();
}

std::unique_ptr<Profile> MakeProfile()
{
    return std::make_unique<Win32Profile>();
}

std::unique_ptr<Application> MakeApplication(const std::string& executable)
{
    return executable.empty() ? std::make_unique<Win32Application>()
                              : std::make_unique<Win32Application>(executable);
}

std::unique_ptr<Clock> MakeClock()
{
    return std::make_unique<Win32Clock>();
}

void MakeReadOnly(const std::filesystem::path& path)
{
    AddAttributes(path, FILE_ATTRIBUTE_READONLY);
}

void MakeHidden(const std::filesystem::path& path)
{
    AddAttributes(path, FILE_ATTRIBUTE_HIDDEN);
}

std::filesystem::path OtherVolume()
{
    // The host's tmpfs, reached through Wine's drive for the host's root.
    return UnderWine("/dev/shm");
}

std::filesystem::path SmallVolume()
{
    const char* path = std::getenv("KUMODEN_SMALL_VOLUME");
    if (!path || !*path) {
        throw std::runtime_error("KUMODEN_SMALL_VOLUME is not set: run the test through ctest");
    }
    return std::filesystem::u8path(UnderWine(path));
}

} // namespace kumoden::test
