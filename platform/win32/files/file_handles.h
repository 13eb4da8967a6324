#pragma once

// What the file code of this backend shares: an open file's handle, its
// identity, the hidden attribute, a copy between handles.
#include "platform/file_system.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kumoden::win32 {

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

inline constexpr DWORD kNotAFile =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;

// The identity of the ordinary file open as file; nothing for anything else.
inline std::optional<FileIdentity> IdentityOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & kNotAFile) != 0) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// Sets or clears the hidden attribute; false when it could not.
inline bool SetHidden(const std::wstring& path, bool hidden)
{
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD wanted = hidden ? attrs | FILE_ATTRIBUTE_HIDDEN : attrs & ~FILE_ATTRIBUTE_HIDDEN;
    return wanted == attrs || SetFileAttributesW(path.c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted);
}

// Whether the last name of path (a trailing separator ignored) starts with
// a dot: such a name is hidden, by its attribute here.
inline bool HiddenName(std::wstring_view path)
{
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) {
        path.remove_suffix(1);
    }
    const auto cut = path.find_last_of(L"\\/:");
    return path.substr(cut == std::wstring_view::npos ? 0 : cut + 1).starts_with(L'.');
}

// Copies what in holds into out, with in's last write time, flushed.
inline bool CopyInto(HANDLE in, HANDLE out)
{
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(in, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        DWORD put = 0;
        if (!WriteFile(out, buffer.data(), got, &put, nullptr) || put != got) {
            return false;
        }
    }
    FILETIME written{};
    return GetFileTime(in, nullptr, nullptr, &written) && SetFileTime(out, nullptr, nullptr, &written) &&
           FlushFileBuffers(out);
}

} // namespace kumoden::win32
