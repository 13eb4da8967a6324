// The Windows backends behind the test suite's platform-neutral helpers.
#include "tests/support/test_platform.h"

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile.h"

#include <windows.h>

#include <system_error>

namespace kumoden::test {
namespace {

void addAttributes(const std::filesystem::path& path, DWORD added)
{
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES || !SetFileAttributesW(path.c_str(), now | added)) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "cannot set the attributes of a test file");
    }
}

} // namespace

std::unique_ptr<FileSystem> MakeFileSystem()
{
    return std::make_unique<Win32FileSystem>();
}

std::unique_ptr<Profile> MakeProfile()
{
    return std::make_unique<Win32Profile>();
}

std::unique_ptr<Clock> MakeClock()
{
    return std::make_unique<Win32Clock>();
}

void MakeReadOnly(const std::filesystem::path& path)
{
    addAttributes(path, FILE_ATTRIBUTE_READONLY);
}

void MakeHidden(const std::filesystem::path& path)
{
    addAttributes(path, FILE_ATTRIBUTE_HIDDEN);
}

} // namespace kumoden::test
