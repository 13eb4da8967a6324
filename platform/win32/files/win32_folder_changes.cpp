#include "platform/win32/files/win32_folder_changes.h"

#include "platform/win32/system/wide.h"

#include <windows.h>

#include <set>
#include <vector>

namespace kumoden {
namespace {

constexpr DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                          FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                          FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;
constexpr DWORD kBufferBytes = 64 * 1024;

struct FolderIdentity {
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
    bool operator==(const FolderIdentity&) const = default;
};

bool identityOf(HANDLE handle, FolderIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        return false;
    }
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// Opens a folder so that others may still rename and delete it.
HANDLE openFolder(const std::wstring& path, DWORD flags)
{
    return CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

bool onNetworkDrive(const std::wstring& path)
{
    wchar_t root[MAX_PATH + 1]{};
    return !GetVolumePathNameW(path.c_str(), root, MAX_PATH) || GetDriveTypeW(root) == DRIVE_REMOTE;
}

class Win32FolderChanges final : public FolderChanges {
public:
    Win32FolderChanges(std::wstring path, HANDLE folder, HANDLE event, FolderIdentity identity)
        : m_path(std::move(path)), m_folder(folder), m_event(event), m_identity(identity),
          m_buffer(kBufferBytes / sizeof(DWORD))
    {
        m_overlapped.hEvent = m_event;
        m_pending = issue();
    }
    ~Win32FolderChanges() override
    {
        if (m_pending) {
            // The kernel writes into the buffer until the read is over.
            CancelIoEx(m_folder, &m_overlapped);
            DWORD got = 0;
            GetOverlappedResult(m_folder, &m_overlapped, &got, TRUE);
        }
        CloseHandle(m_folder);
        CloseHandle(m_event);
    }

    bool started() const { return m_pending; }

    FolderChangeSet take() override
    {
        FolderChangeSet changes;
        std::set<std::string> names;
        changes.lost = !collect(names) || !stillTheFolder();
        changes.names.assign(names.begin(), names.end());
        return changes;
    }

private:
    bool issue()
    {
        ResetEvent(m_event);
        return ReadDirectoryChangesW(m_folder, m_buffer.data(), kBufferBytes, FALSE, kFilter, nullptr,
                                     &m_overlapped, nullptr) != 0;
    }

    // Every read the kernel completed since the last call; false when
    // changes may have gone untold.
    bool collect(std::set<std::string>& names)
    {
        while (m_pending) {
            DWORD got = 0;
            if (!GetOverlappedResult(m_folder, &m_overlapped, &got, FALSE)) {
                if (GetLastError() == ERROR_IO_INCOMPLETE) {
                    return true;
                }
                m_pending = false;
                return false;
            }
            m_pending = false;
            // Nothing read: more changes than the buffer held.
            if (got == 0) {
                return false;
            }
            parse(got, names);
            m_pending = issue();
        }
        return false;
    }

    void parse(DWORD got, std::set<std::string>& names) const
    {
        const auto* bytes = reinterpret_cast<const BYTE*>(m_buffer.data());
        for (DWORD at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(bytes + at);
            names.insert(ToUtf8(std::wstring_view(entry->FileName, entry->FileNameLength / sizeof(wchar_t))));
            if (entry->NextEntryOffset == 0) {
                break;
            }
            at += entry->NextEntryOffset;
        }
    }

    // The handle follows the folder it opened; a folder moved away or put in
    // its place is told by the path.
    bool stillTheFolder() const
    {
        // Removed while held open: the folder stays, to be gone when the
        // last handle closes, and no new one can be made in its place.
        FILE_STANDARD_INFO standard{};
        if (!GetFileInformationByHandleEx(m_folder, FileStandardInfo, &standard, sizeof standard) ||
            standard.DeletePending) {
            return false;
        }
        const HANDLE now = openFolder(m_path, 0);
        if (now == INVALID_HANDLE_VALUE) {
            return false;
        }
        FolderIdentity identity;
        const bool same = identityOf(now, identity) && identity == m_identity;
        CloseHandle(now);
        return same;
    }

    std::wstring m_path;
    HANDLE m_folder;
    HANDLE m_event;
    FolderIdentity m_identity;
    std::vector<DWORD> m_buffer;
    OVERLAPPED m_overlapped{};
    bool m_pending = false;
};

} // namespace

std::unique_ptr<FolderChanges> WatchFolderWin32(const std::string& folder)
{
    const std::wstring path = ToWide(folder);
    if (path.empty() || onNetworkDrive(path)) {
        return nullptr;
    }
    const HANDLE handle = openFolder(path, FILE_FLAG_OVERLAPPED);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    FolderIdentity identity;
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event || !identityOf(handle, identity)) {
        CloseHandle(handle);
        if (event) {
            CloseHandle(event);
        }
        return nullptr;
    }
    auto changes = std::make_unique<Win32FolderChanges>(path, handle, event, identity);
    if (!changes->started()) {
        return nullptr;
    }
    return changes;
}

} // namespace kumoden
