// Taking a found file into the archive: only that file, never while a
// writer has it open, and an older file of the same name replaced only by a
// move that has succeeded; a take cut short by a crash undone later.
#include "platform/take_leftovers.h"
#include "platform/win32/file_handles.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <vector>

namespace kumoden {
namespace {

using win32::CopyInto;
using win32::Handle;
using win32::IdentityOf;
using win32::kNotAFile;
using win32::NameTaken;
using win32::SetHidden;

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

// A move of the file held that failed: "not found" there may be the
// destination's folder, and only a file no longer at its path has vanished.
TakeResult moveFailure(DWORD error, const std::wstring& source)
{
    const TakeResult result = failure(error);
    return result == TakeResult::Vanished && GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES
               ? TakeResult::Failed
               : result;
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
        const DWORD error = GetLastError();
        SetFileAttributesW(destination.c_str(), attrs);
        SetLastError(error);
    }
    return false;
}

// Whether every temporary name of the file fits in a folder entry.
bool fitsBeside(const std::string& name)
{
    return ToWide(TakeTemporaryName(TakeStage::Copying, 999, name)).size() <= 255;
}

// Moves from to the first free temporary name in folder, hidden there;
// empty (GetLastError tells why) when it did not move.
std::wstring moveToTemporary(const std::wstring& from, const std::string& folder, TakeStage stage,
                             const std::string& name)
{
    for (unsigned number = 0; number < 1000; ++number) {
        std::wstring temp = ToWide(folder + TakeTemporaryName(stage, number, name));
        if (MoveFileExW(from.c_str(), temp.c_str(), 0)) {
            SetHidden(temp, true);
            return temp;
        }
        if (!NameTaken(GetLastError())) {
            return {};
        }
    }
    return {};
}

// A new hidden file for the copy under the first free temporary name, held
// without sharing reads for as long as the take runs.
HANDLE newCopy(const std::string& folder, const std::string& name, std::wstring& path)
{
    for (unsigned number = 0; number < 1000; ++number) {
        path = ToWide(folder + TakeTemporaryName(TakeStage::Copying, number, name));
        const HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (out != INVALID_HANDLE_VALUE || !NameTaken(GetLastError())) {
            return out;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// Leftovers of takes as this backend makes them: owned while the take's
// process holds the file open.
class Win32Leftovers final : public LeftoverMechanics {
public:
    explicit Win32Leftovers(Win32FileSystem& files) : m_files(files) {}

    std::vector<std::string> temporaries(const std::string& folder) override
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAW data{};
        const HANDLE find = FindFirstFileExW(ToWide(folder + "*").c_str(), FindExInfoBasic, &data,
                                             FindExSearchNameMatch, nullptr, 0);
        if (find == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            std::string name = ToUtf8(data.cFileName);
            if ((data.dwFileAttributes & kNotAFile) == 0 && ParseTakeTemporary(name)) {
                names.push_back(std::move(name));
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return names;
    }
    bool owned(const std::string& path) override
    {
        // Refused while any handle that reads or writes it is open.
        const Handle file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return !file.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
    }
    bool exists(const std::string& path) override { return m_files.fileExists(path); }
    std::optional<TakeStamp> stamp(const std::string& path) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data)) {
            return std::nullopt;
        }
        const auto join = [](DWORD high, DWORD low) {
            return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
        };
        return TakeStamp{join(data.nFileSizeHigh, data.nFileSizeLow),
                         join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
    }
    bool putBack(const std::string& temporary, const std::string& destination) override
    {
        if (!m_files.moveFile(temporary, destination)) {
            return false;
        }
        SetHidden(ToWide(destination), false);
        return true;
    }
    bool remove(const std::string& path) override { return DeleteFileW(ToWide(path).c_str()) != 0; }

private:
    Win32FileSystem& m_files;
};

// Another volume: what held holds is copied beside its destination, the
// copy named whole once it is, and then the name found deleted, only while
// it still stands for the file found. The copy's path; empty when the file
// was left as it was.
std::wstring copyBeside(HANDLE held, const std::string& source, const std::string& folder,
                        const std::string& name, const FileIdentity& found, Win32FileSystem& files,
                        bool& notTheFile)
{
    std::wstring part;
    const Handle out(newCopy(folder, name, part));
    if (!out.valid()) {
        return {};
    }
    std::wstring copied;
    if (!CopyInto(held, out.get()) ||
        (copied = moveToTemporary(part, folder, TakeStage::Copied, name)).empty()) {
        DeleteFileW(part.c_str());
        return {};
    }
    if (files.fileIdentity(source) == found && DeleteFileW(ToWide(source).c_str())) {
        return copied;
    }
    notTheFile = GetLastError() != ERROR_FILE_NOT_FOUND;
    DeleteFileW(copied.c_str());
    return {};
}

// A name too long to carry in a temporary's name: the file goes straight to
// its destination, which the move replaces in one step.
TakeResult takeDirectly(const std::wstring& from, const std::wstring& to, const FileIdentity& found,
                        Win32FileSystem& files, const FileSystem::BeforeNamed& beforeNamed)
{
    if (beforeNamed) {
        beforeNamed(found);
    }
    if (!replace(from, to)) {
        return moveFailure(GetLastError(), from);
    }
    if (files.fileIdentity(ToUtf8(to)) == found) {
        return TakeResult::Taken;
    }
    MoveFileExW(to.c_str(), from.c_str(), 0);
    return TakeResult::NotTheFileFound;
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
    return file.valid() ? IdentityOf(file.get()) : std::nullopt;
}

TakeResult Win32FileSystem::takeFile(const std::string& source, const std::string& destination,
                                     const FileIdentity& found, const BeforeNamed& beforeNamed)
{
    const std::wstring from = ToWide(source);
    const std::wstring to = ToWide(destination);
    if (from.empty() || to.empty()) {
        return TakeResult::Failed;
    }
    // Read access without sharing write: refused while any program has the
    // file open for writing, and no one can open it so until the move is
    // done. Sharing delete lets the file move while it is held. The handle
    // also tells the next process that this take still runs.
    const Handle held(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!held.valid()) {
        return failure(GetLastError());
    }
    if (IdentityOf(held.get()) != found) {
        return TakeResult::NotTheFileFound;
    }
    const auto cut = destination.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string() : destination.substr(0, cut + 1);
    const std::string name = destination.substr(folder.size());
    if (!fitsBeside(name)) {
        return takeDirectly(from, to, found, *this, beforeNamed);
    }

    std::wstring temp = moveToTemporary(from, folder, TakeStage::Moved, name);
    bool notTheFile = false;
    // A copy is a file of its own: the archive's file is told by its identity.
    std::optional<FileIdentity> named = found;
    if (temp.empty()) {
        const DWORD error = GetLastError();
        if (error != ERROR_NOT_SAME_DEVICE) {
            return moveFailure(error, from);
        }
        temp = copyBeside(held.get(), source, folder, name, found, *this, notTheFile);
        if (temp.empty()) {
            return notTheFile ? TakeResult::NotTheFileFound : TakeResult::Failed;
        }
        named = fileIdentity(ToUtf8(temp));
    } else if (fileIdentity(ToUtf8(temp)) != found) {
        // The name may have been given to another file between the check
        // on the held file and the move: what moved must be the file found.
        SetHidden(temp, false);
        MoveFileExW(temp.c_str(), from.c_str(), 0);
        return TakeResult::NotTheFileFound;
    }
    // Visible before its last move: the archive's file is an ordinary one.
    SetHidden(temp, false);
    if (named && beforeNamed) {
        beforeNamed(*named);
    }
    if (named && replace(temp, to)) {
        return TakeResult::Taken;
    }
    // Back where it was found; should a new file have taken that name
    // meanwhile, this one stays under the temporary name rather than
    // replace the new one or be lost, and the next process puts it back.
    if (!moveFile(ToUtf8(temp), source)) {
        SetHidden(temp, true);
    }
    return TakeResult::Failed;
}

std::vector<std::string> Win32FileSystem::undoTakesCutShort(const std::string& archive,
                                                            const std::string& watched)
{
    if (m_foldersChecked.contains(archive) || !folderExists(archive.empty() ? "." : archive)) {
        return {};
    }
    m_foldersChecked.insert(archive);
    Win32Leftovers leftovers(*this);
    return UndoTakesCutShort(archive, watched, leftovers);
}

} // namespace kumoden
