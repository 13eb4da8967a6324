#include "platform/win32/files/win32_profile.h"

#include "platform/common/profile_rules.h"
#include "platform/win32/system/wide.h"

#include <windows.h>

#include <algorithm>

namespace kumoden {
namespace {

// The longest start of text whose ANSI form takes at most limit bytes. A
// character the code page cannot hold counts as many bytes as it has
// UTF-16 units, and half a surrogate pair (a cut wide buffer) goes.
std::wstring_view cutToAnsiBytes(std::wstring_view text, std::size_t limit)
{
    std::size_t bytes = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const bool high = text[pos] >= 0xD800 && text[pos] <= 0xDBFF;
        if (high && pos + 1 == text.size()) {
            break;
        }
        const int units = high ? 2 : 1;
        const int ansi =
            WideCharToMultiByte(CP_ACP, 0, text.data() + pos, units, nullptr, 0, nullptr, nullptr);
        const auto length = static_cast<std::size_t>(std::max(ansi, units));
        if (bytes + length > limit) {
            break;
        }
        bytes += length;
        pos += static_cast<std::size_t>(units);
    }
    return text.substr(0, pos);
}

// Whether the ANSI code page holds the text. A character it has no byte
// for would go into the file as "?"; its best fit for a few others (the
// yen sign as 5C) is the platform's own and is kept.
bool fitsAnsiCodePage(const std::wstring& text)
{
    if (text.empty() || GetACP() == CP_UTF8) {
        return true;
    }
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, &usedDefault);
    return bytes > 0 && usedDefault == FALSE;
}

// Makes the folder of a file and those above it that are missing: the
// platform's profile functions write no file into a folder that is not
// there. True when the folder is there.
bool makeFolderOf(const std::wstring& path)
{
    const auto cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut == 0 || path[cut - 1] == L':') {
        return true; // the current folder or a root
    }
    const std::wstring folder = path.substr(0, cut);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    return makeFolderOf(folder) &&
           (CreateDirectoryW(folder.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS);
}

} // namespace

std::string Win32Profile::readString(const std::string& section, const std::string& key,
                                     const std::string& path, std::size_t capacity)
{
    if (capacity == 0) {
        return {};
    }
    // An empty section or key is passed as an empty name, never as a null
    // pointer: a null one would list the names instead of reading a value.
    const std::wstring wideSection = ToWide(section);
    const std::wstring wideKey = ToWide(key);
    const std::wstring widePath = ToWide(path);
    const auto size = static_cast<DWORD>(std::min<std::size_t>(capacity, 0x7FFFFFFF));
    std::wstring buffer(size, L'\0');
    const DWORD copied = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), L"", buffer.data(),
                                                  size, widePath.c_str());
    // No character counts fewer bytes than it has UTF-16 units, so the
    // wide buffer of the same size holds all that can be handed over.
    buffer.resize(std::min<DWORD>(copied, size - 1));
    return ToUtf8(cutToAnsiBytes(buffer, capacity - 1));
}

bool Win32Profile::writeString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& path)
{
    // Windows would write a line break into the file as it comes.
    if (!ProfileCanHold(section, key, value)) {
        return false;
    }
    const std::wstring wideSection = ToWide(section);
    const std::wstring wideKey = ToWide(key);
    const std::wstring wideValue = ToWide(value);
    const std::wstring widePath = ToWide(path);
    if (!fitsAnsiCodePage(wideSection) || !fitsAnsiCodePage(wideKey) || !fitsAnsiCodePage(wideValue)) {
        return false;
    }
    // The system refuses a read-only file, but not when the process may
    // write it regardless (an administrator, root under Wine).
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    // The first write into the user's settings folder makes it.
    if (attributes == INVALID_FILE_ATTRIBUTES && !makeFolderOf(widePath)) {
        return false;
    }
    return WritePrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideValue.c_str(),
                                      widePath.c_str()) != 0;
}

} // namespace kumoden
