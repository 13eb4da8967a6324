#include "platform/win32/files/win32_file_system.h"

#include "platform/common/wildcard.h"
#include "platform/win32/files/file_handles.h"
#include "platform/win32/files/file_time.h"
#include "platform/win32/files/win32_folder_changes.h"
#include "platform/win32/system/wide.h"

#include <windows.h>

#include <algorithm>

namespace kumoden {
namespace {

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : m_handle(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle()
    {
        if (valid()) {
            FindClose(m_handle);
        }
    }

    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// The name part of "folder\name-pattern" (also after "/" or a drive's ":").
std::wstring_view namePattern(std::wstring_view pattern)
{
    const auto cut = pattern.find_last_of(L"\\/:");
    return cut == std::wstring_view::npos ? pattern : pattern.substr(cut + 1);
}

// Where the file system keeps no creation time, the last change stands in.
std::optional<LocalTime> createdAt(const FILETIME& created, const FILETIME& written)
{
    if (!IsUnset(created)) {
        return FileTimeToLocal(created);
    }
    if (!IsUnset(written)) {
        return FileTimeToLocal(written);
    }
    return std::nullopt;
}

// Calls visit(findData) for each ordinary file matching the pattern until
// visit returns false.
template <typename Visit> void scan(const std::string& pattern, Visit visit)
{
    const std::wstring widePattern = ToWide(pattern);
    if (widePattern.empty()) {
        return;
    }
    // The search also tries the pattern on each name's 8.3 alias, so
    // "abc*.pdf" would find "abc2.pdfx" through "ABC2~1.PDF": only names that
    // match themselves count.
    const Wildcard longName(ToUtf8(namePattern(widePattern)));
    WIN32_FIND_DATAW data{};
    // The basic level skips the 8.3 alias, which is not used here.
    const FindHandle find(FindFirstFileExW(widePattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) {
        // No match, or no folder: nothing. Anything else leaves what the
        // folder holds unknown.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
            error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY) {
            return;
        }
        const std::size_t cut = pattern.find_last_of("\\/");
        throw FolderQueryError(cut == std::string::npos ? std::string() : pattern.substr(0, cut),
                               "Windows error " + std::to_string(error));
    }
    do {
        if ((data.dwFileAttributes & kNotOrdinary) != 0 || !longName.matches(ToUtf8(data.cFileName))) {
            continue;
        }
        if (!visit(data)) {
            return;
        }
    } while (FindNextFileW(find.get(), &data));
}

bool attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    const std::wstring wide = ToWide(path);
    return !wide.empty() && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data);
}

// Deletes a file, taking away its read-only attribute first. The attribute
// comes back when the file cannot be deleted after all.
bool forceDelete(const std::wstring& path)
{
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_READONLY) == 0) {
        return DeleteFileW(path.c_str()) != 0;
    }
    const DWORD writable = attrs & ~FILE_ATTRIBUTE_READONLY;
    if (!SetFileAttributesW(path.c_str(), writable == 0 ? FILE_ATTRIBUTE_NORMAL : writable)) {
        return false;
    }
    if (DeleteFileW(path.c_str())) {
        return true;
    }
    SetFileAttributesW(path.c_str(), attrs);
    return false;
}

} // namespace

std::optional<std::string> Win32FileSystem::firstFile(const std::string& pattern)
{
    std::optional<std::string> found;
    scan(pattern, [&](const WIN32_FIND_DATAW& data) {
        found = ToUtf8(data.cFileName);
        return false;
    });
    return found;
}

std::vector<std::string> Win32FileSystem::listFiles(const std::string& pattern)
{
    std::vector<std::string> names;
    scan(pattern, [&](const WIN32_FIND_DATAW& data) {
        names.push_back(ToUtf8(data.cFileName));
        return true;
    });
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<DatedFile> Win32FileSystem::listDatedFiles(const std::string& pattern)
{
    std::vector<DatedFile> files;
    scan(pattern, [&](const WIN32_FIND_DATAW& data) {
        files.push_back({ToUtf8(data.cFileName), createdAt(data.ftCreationTime, data.ftLastWriteTime)});
        return true;
    });
    return files;
}

std::optional<DatedFile> Win32FileSystem::datedFile(const std::string& folder, const std::string& name)
{
    // A name holding a wildcard or a separator names no one file.
    if (folder.empty() || name.empty() || name.find_first_of("*?\\/:") != std::string::npos) {
        return std::nullopt;
    }
    WIN32_FIND_DATAW data{};
    const FindHandle find(FindFirstFileExW(ToWide(folder + name).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0));
    if (!find.valid() || (data.dwFileAttributes & kNotOrdinary) != 0) {
        return std::nullopt;
    }
    // Under the name the folder gives it, which a query lists.
    return DatedFile{ToUtf8(data.cFileName), createdAt(data.ftCreationTime, data.ftLastWriteTime)};
}

std::unique_ptr<FolderChanges> Win32FileSystem::watchFolder(const std::string& folder)
{
    return WatchFolderWin32(folder);
}

std::optional<std::int64_t> Win32FileSystem::fileLength(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!attributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
}

bool Win32FileSystem::folderExists(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return attributes(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::createFolder(const std::string& path)
{
    const std::wstring wide = ToWide(path);
    if (wide.empty() || !CreateDirectoryW(wide.c_str(), nullptr)) {
        return false;
    }
    // A dot-name is hidden on every platform.
    if (win32::HiddenName(wide)) {
        win32::SetHidden(wide, true);
    }
    return true;
}

bool Win32FileSystem::fileExists(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return attributes(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::fileReadable(const std::string& path)
{
    const HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return fileExists(path);
}

bool Win32FileSystem::canWriteInto(const std::string& folder)
{
    if (!folderExists(folder)) {
        return false;
    }
    // Asking for the right to add a file checks the folder's access list
    // for this user without adding anything.
    const HANDLE handle = CreateFileW(ToWide(folder).c_str(), FILE_ADD_FILE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(handle);
    return true;
}

bool Win32FileSystem::canRun(const std::string& path)
{
    const std::wstring wide = ToWide(path);
    const auto dot = wide.find_last_of(L".\\/");
    if (dot == std::wstring::npos || wide[dot] != L'.' || !fileExists(path)) {
        return false;
    }
    std::wstring extension = wide.substr(dot);
    CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    return extension == L".exe" || extension == L".com" || extension == L".bat" || extension == L".cmd";
}

bool Win32FileSystem::deleteFile(const std::string& path, bool force)
{
    const std::wstring wide = ToWide(path);
    if (wide.empty()) {
        return false;
    }
    // DeleteFileW itself refuses a read-only file.
    return force ? forceDelete(wide) : DeleteFileW(wide.c_str()) != 0;
}

std::optional<LocalTime> Win32FileSystem::dateCreated(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!attributes(path, data)) {
        return std::nullopt;
    }
    return createdAt(data.ftCreationTime, data.ftLastWriteTime);
}

std::optional<std::string> Win32FileSystem::readSmallFile(const std::string& path)
{
    const std::wstring wide = ToWide(path);
    if (wide.empty()) {
        return std::nullopt;
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) {
        content.append(buffer, got);
    }
    CloseHandle(file);
    return ok ? std::optional<std::string>(std::move(content)) : std::nullopt;
}

} // namespace kumoden
