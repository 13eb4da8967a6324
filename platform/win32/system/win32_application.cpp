#include "platform/win32/system/win32_application.h"

#include "platform/common/instance_key.h"
#include "platform/win32/system/wide.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>

namespace kumoden {
namespace {

std::string selfExecutable()
{
    // The path may be longer than MAX_PATH; a full buffer means it was cut.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return ToUtf8(buffer);
        }
        if (buffer.size() >= 0x8000) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

Win32Application::Win32Application() : Win32Application(selfExecutable()) {}

Win32Application::Win32Application(const std::string& executable)
    : m_place(SplitProgramPath(executable, PathStyle::windows))
{
}

Win32Application::~Win32Application()
{
    if (m_mutex != nullptr) {
        CloseHandle(m_mutex);
    }
}

std::string Win32Application::userSettingsFolder() const
{
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder))) {
        result = ToUtf8(folder) + "\\Kumoden";
    }
    CoTaskMemFree(folder);
    return result;
}

bool Win32Application::folderWritable(const std::string& folder) const
{
    if (folder.empty()) {
        return false;
    }
    // A hidden file that goes as its handle closes; its name is this
    // process's own, so no other file is ever touched.
    wchar_t name[64];
    std::swprintf(name, 64, L"\\.kumoden-%lu-%llu.tmp", GetCurrentProcessId(),
                  static_cast<unsigned long long>(GetTickCount64()));
    std::wstring path = ToWide(folder);
    if (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    path += name;
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

bool Win32Application::prevInstance(const std::string& iniPath)
{
    if (m_mutex != nullptr) {
        return false;
    }
    // One instance per settings file; "C:\A.INI" and "c:\a.ini" are one file.
    std::wstring key = ToWide(iniPath);
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Kumoden-%016llx",
                  static_cast<unsigned long long>(InstanceKey(ToUtf8(key))));
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (mutex == nullptr) {
        return false;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    m_mutex = mutex;
    return false;
}

} // namespace kumoden
