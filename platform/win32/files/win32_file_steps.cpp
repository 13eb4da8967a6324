// The single steps the archive is built from, and the identity that tells
// which file a name stands for: each does one thing to a file or says why
// it did not, and decides nothing. A name starting with a dot is hidden
// here by its attribute, which follows the name.
#include "platform/win32/files/file_handles.h"
#include "platform/win32/files/win32_file_system.h"
#include "platform/win32/system/wide.h"

#include <windows.h>

#include <algorithm>

namespace kumoden {
namespace {

using win32::Handle;

// Whether one of the names in path is longer than a folder entry takes.
bool overlong(std::wstring_view path)
{
    std::size_t run = 0;
    for (const wchar_t unit : path) {
        run = unit == L'\\' || unit == L'/' ? 0 : run + 1;
        if (run > 255) {
            return true;
        }
    }
    return false;
}

std::string reasonOf(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words(text != nullptr ? text : L"", length);
    LocalFree(text);
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' ')) {
        words.pop_back();
    }
    const std::string number = "Windows error " + std::to_string(error);
    return words.empty() ? number : ToUtf8(words) + " (" + number + ")";
}

// Why a step on the given paths failed.
FileStep stepOf(DWORD error, std::wstring_view from, std::wstring_view to = {})
{
    FileStep::Kind kind = FileStep::failed;
    switch (error) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        kind = FileStep::exists;
        break;
    case ERROR_NOT_SAME_DEVICE:
        kind = FileStep::otherVolume;
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        // What a name longer than any folder entry gives besides (under
        // Wine: "not found"); a plain missing file is missing.
        kind = overlong(from) || overlong(to) ? FileStep::nameTooLong
               : error == ERROR_INVALID_NAME  ? FileStep::failed
                                              : FileStep::missing;
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        kind = FileStep::nameTooLong;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        kind = FileStep::noRoom;
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        kind = FileStep::inUse;
        break;
    default:
        break;
    }
    return {kind, reasonOf(error)};
}

DWORD attributesFor(std::wstring_view path)
{
    return win32::HiddenName(path) ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
}

// Drops a new file that did not become whole, keeping the reason it did not.
FileStep dropNew(const std::wstring& path, DWORD error)
{
    DeleteFileW(path.c_str());
    return stepOf(error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error, path);
}

bool writeAll(HANDLE out, const std::string& content)
{
    for (std::size_t done = 0; done < content.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(out, content.data() + done, chunk, &put, nullptr) || put == 0) {
            return false;
        }
        done += put;
    }
    return true;
}

class Win32Hold final : public FileHold {
public:
    explicit Win32Hold(HANDLE file) : m_file(file) {}
    HANDLE get() const { return m_file.get(); }

private:
    Handle m_file;
};

} // namespace

std::optional<FileIdentity> Win32FileSystem::fileIdentity(const std::string& path)
{
    const std::wstring wide = ToWide(path);
    if (wide.empty()) {
        return std::nullopt;
    }
    // Attributes only, whatever sharing others asked for; a link is not followed.
    const Handle file(CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() ? win32::IdentityOf(file.get()) : std::nullopt;
}

FileStep Win32FileSystem::renameNew(const std::string& from, const std::string& to)
{
    const std::wstring source = ToWide(from);
    const std::wstring target = ToWide(to);
    // Without MOVEFILE_REPLACE_EXISTING a destination is refused; without
    // MOVEFILE_COPY_ALLOWED another volume is too.
    if (!MoveFileExW(source.c_str(), target.c_str(), 0)) {
        return stepOf(GetLastError(), source, target);
    }
    // Hidden is the name's: a file that cannot be made to match its new
    // name goes back to its old one.
    if (!win32::SetHidden(target, win32::HiddenName(target))) {
        const DWORD error = GetLastError();
        if (MoveFileExW(target.c_str(), source.c_str(), 0)) {
            return stepOf(error, source, target);
        }
    }
    return {};
}

FileStep Win32FileSystem::copyNew(const std::string& from, const std::string& to)
{
    const std::wstring source = ToWide(from);
    const std::wstring target = ToWide(to);
    // Shares all, so that a file held (holdFile) or still written can be read.
    const Handle in(CreateFileW(
        source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.valid()) {
        return stepOf(GetLastError(), source);
    }
    if (!win32::IdentityOf(in.get())) {
        return {FileStep::otherFile, "not an ordinary file"};
    }
    DWORD error = ERROR_SUCCESS;
    {
        const Handle out(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     attributesFor(target), nullptr));
        if (!out.valid()) {
            return stepOf(GetLastError(), target);
        }
        if (!win32::CopyInto(in.get(), out.get())) {
            error = GetLastError();
        }
    }
    return error == ERROR_SUCCESS ? FileStep{} : dropNew(target, error);
}

FileStep Win32FileSystem::writeNew(const std::string& path, const std::string& content)
{
    const std::wstring wide = ToWide(path);
    DWORD error = ERROR_SUCCESS;
    {
        const Handle out(
            CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributesFor(wide), nullptr));
        if (!out.valid()) {
            return stepOf(GetLastError(), wide);
        }
        if (!writeAll(out.get(), content) || !FlushFileBuffers(out.get())) {
            error = GetLastError();
        }
    }
    return error == ERROR_SUCCESS ? FileStep{} : dropNew(wide, error);
}

std::unique_ptr<FileHold> Win32FileSystem::holdFile(const std::string& path, const FileIdentity& expected,
                                                    FileStep& step)
{
    const std::wstring wide = ToWide(path);
    // Refused while a program has the file open for writing, and no one can
    // open it so while held. Sharing delete lets it be renamed and deleted.
    // A folder opens too, to be told apart below.
    auto held = std::make_unique<Win32Hold>(
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (held->get() == INVALID_HANDLE_VALUE) {
        step = stepOf(GetLastError(), wide);
        return nullptr;
    }
    if (win32::IdentityOf(held->get()) != expected) {
        step = {FileStep::otherFile, "another file than the one expected"};
        return nullptr;
    }
    step = {};
    return held;
}

std::unique_ptr<FileHold> Win32FileSystem::lockFile(const std::string& path, FileStep& step)
{
    const std::wstring wide = ToWide(path);
    // Shared with no one: a second open, of this process or another, is refused.
    auto lock = std::make_unique<Win32Hold>(
        CreateFileW(wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, attributesFor(wide), nullptr));
    if (lock->get() == INVALID_HANDLE_VALUE) {
        step = stepOf(GetLastError(), wide);
        return nullptr;
    }
    step = {};
    return lock;
}

std::optional<std::int64_t> Win32FileSystem::freeSpace(const std::string& folder)
{
    const std::wstring wide = ToWide(folder);
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(wide.empty() ? nullptr : wide.c_str(), &available, nullptr, nullptr)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(available.QuadPart);
}

std::optional<FileStamp> Win32FileSystem::fileStamp(const std::string& path)
{
    const std::wstring wide = ToWide(path);
    if (wide.empty()) {
        return std::nullopt;
    }
    // Attributes only: opens whatever sharing others asked for.
    const Handle file(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    FILE_BASIC_INFO basic{};
    LARGE_INTEGER size{};
    if (!file.valid() || !GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic) ||
        (basic.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0 ||
        !GetFileSizeEx(file.get(), &size)) {
        return std::nullopt;
    }
    return FileStamp{size.QuadPart, basic.LastWriteTime.QuadPart, basic.ChangeTime.QuadPart};
}

} // namespace kumoden
