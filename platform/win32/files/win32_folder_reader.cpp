#include "platform/win32/files/win32_folder_reader.h"

#include "platform/win32/system/wide.h"

#include <windows.h>

namespace kumoden {

std::vector<std::string> Win32FolderReader::readyDrives() const
{
    std::vector<std::string> drives;
    const DWORD mask = GetLogicalDrives();
    // A drive without a medium answers at once instead of asking for one.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    for (int letter = 0; letter < 26; ++letter) {
        if ((mask & (1u << letter)) == 0) {
            continue;
        }
        const std::wstring root{static_cast<wchar_t>(L'A' + letter), L':', L'\\'};
        const UINT type = GetDriveTypeW(root.c_str());
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) {
            continue;
        }
        if ((type == DRIVE_REMOVABLE || type == DRIVE_CDROM) &&
            !GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
            continue;
        }
        drives.push_back(ToUtf8(root));
    }
    SetErrorMode(previous);
    return drives;
}

std::string Win32FolderReader::currentFolder() const
{
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer(needed, L'\0');
    const DWORD written = needed > 0 ? GetCurrentDirectoryW(needed, buffer.data()) : 0;
    buffer.resize(written < needed ? written : 0);
    return normalFolder(ToUtf8(buffer));
}

std::string Win32FolderReader::keptFolder(const std::string& drive) const
{
    if (drive.size() == 3 && drive[1] == ':' && drive[2] == '\\') {
        return normalFolder(drive.substr(0, 2)); // "C:" is that drive's current folder
    }
    return {};
}

std::string Win32FolderReader::normalFolder(const std::string& path) const
{
    const std::wstring wide = ToWide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::string full = path;
    if (needed > 0) {
        std::wstring buffer(needed, L'\0');
        const DWORD written = GetFullPathNameW(wide.c_str(), needed, buffer.data(), nullptr);
        if (written > 0 && written < needed) {
            buffer.resize(written);
            full = ToUtf8(buffer);
        }
    }
    const std::size_t root = rootOf(full).size();
    while (full.size() > root && full.size() > 1 && full.back() == '\\') {
        full.pop_back();
    }
    return full;
}

std::string Win32FolderReader::rootOf(const std::string& path) const
{
    if (path.size() >= 2 && path[1] == ':') {
        return path.substr(0, 2) + "\\";
    }
    if (path.starts_with("\\\\")) {
        // \\server\share\ .
        const auto server = path.find('\\', 2);
        if (server == std::string::npos) {
            return {};
        }
        const auto share = path.find('\\', server + 1);
        return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
    }
    return {};
}

std::optional<FolderContents> Win32FolderReader::read(const std::string& folder) const
{
    const std::wstring pattern = ToWide(folder.ends_with('\\') ? folder + "*" : folder + "\\*");
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    FolderContents contents;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(ToWide(folder).c_str());
        // An empty root has not even "." in it.
        const bool emptyFolder = error == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
                                 (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return emptyFolder ? std::optional(contents) : std::nullopt;
    }
    do {
        const std::wstring name = found.cFileName;
        const DWORD attributes = found.dwFileAttributes;
        if (name == L"." || name == L".." ||
            (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
            continue;
        }
        auto& names = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? contents.folders : contents.files;
        names.push_back(ToUtf8(name));
    } while (FindNextFileW(search, &found));
    const DWORD ended = GetLastError();
    FindClose(search);
    if (ended != ERROR_NO_MORE_FILES) {
        return std::nullopt;
    }
    return contents;
}

} // namespace kumoden
