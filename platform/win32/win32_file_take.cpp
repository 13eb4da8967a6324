// Taking a found file into the archive: only that file, never while a
// writer has it open, and an older file of the same name replaced only by a
// move that has succeeded.
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <atomic>

namespace kumoden {
namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (valid()) {
            CloseHandle(m_handle);
        }
    }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;

std::optional<FileIdentity> identityOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & kNotAFile) != 0) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

TakeResult failure(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return TakeResult::Vanished;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return TakeResult::InUse;
    default:
        return TakeResult::Failed;
    }
}

// A name beside destination that no other process, this program's other
// copies included, uses at the same time.
std::wstring temporaryBeside(const std::wstring& destination)
{
    static std::atomic<unsigned> counter{0};
    const auto cut = destination.find_last_of(L"\\/");
    const std::wstring folder = cut == std::wstring::npos ? std::wstring() : destination.substr(0, cut + 1);
    return folder + L"~kumoden-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L".tmp";
}

// Replaces destination by temp, the read-only attribute of an older file
// there taken away first and given back when the move fails.
bool replace(const std::wstring& temp, const std::wstring& destination)
{
    const DWORD attrs = GetFileAttributesW(destination.c_str());
    const bool readOnly = attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        const DWORD writable = attrs & ~FILE_ATTRIBUTE_READONLY;
        SetFileAttributesW(destination.c_str(), writable == 0 ? FILE_ATTRIBUTE_NORMAL : writable);
    }
    if (MoveFileExW(temp.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return true;
    }
    if (readOnly) {
        SetFileAttributesW(destination.c_str(), attrs);
    }
    return false;
}

} // namespace

std::optional<FileIdentity> Win32FileSystem::fileIdentity(const std::string& path)
{
    const std::wstring wide = ToWide(path);
    if (wide.empty()) {
        return std::nullopt;
    }
    const Handle file(CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() ? identityOf(file.get()) : std::nullopt;
}

TakeResult Win32FileSystem::takeFile(const std::string& source, const std::string& destination,
                                     const FileIdentity& found)
{
    const std::wstring from = ToWide(source);
    const std::wstring to = ToWide(destination);
    if (from.empty() || to.empty()) {
        return TakeResult::Failed;
    }
    // Read access without sharing write: refused while any program has the
    // file open for writing, and no one can open it so until the move is
    // done. Sharing delete lets the file move while it is held.
    const Handle held(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!held.valid()) {
        return failure(GetLastError());
    }
    if (identityOf(held.get()) != found) {
        return TakeResult::NotTheFileFound;
    }

    const std::wstring temp = temporaryBeside(to);
    const std::string tempText = ToUtf8(temp);
    if (!moveFile(source, tempText)) {
        return failure(GetLastError());
    }
    // The name may have been given to another file between the check on
    // the held file and the move: what moved must be the file found (a copy
    // to another volume has an identity of its own).
    const auto placed = fileIdentity(tempText);
    if (!placed || (placed->volume == found.volume && *placed != found)) {
        MoveFileExW(temp.c_str(), from.c_str(), 0);
        return TakeResult::NotTheFileFound;
    }
    if (replace(temp, to)) {
        return TakeResult::Taken;
    }
    // Back where it was found; should a new file have taken that name
    // meanwhile, this one stays under the temporary name rather than
    // replace the new one or be lost.
    MoveFileExW(temp.c_str(), from.c_str(), 0);
    return TakeResult::Failed;
}

} // namespace kumoden
