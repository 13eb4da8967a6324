#include "platform/win32/win32_application.h"

#include "platform/instance_key.h"
#include "platform/win32/wide.h"

#include <windows.h>

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

Win32Application::Win32Application(const std::string& executable) : m_executable(executable)
{
    const auto cut = executable.find_last_of("\\/");
    const std::string name = cut == std::string::npos ? executable : executable.substr(cut + 1);
    if (cut == std::string::npos) {
        m_path = ".";
    } else {
        m_path = executable.substr(0, cut);
        // A drive's root keeps its separator: "C:" alone would name the
        // drive's current folder, not its root.
        if (m_path.empty() || m_path.back() == ':') {
            m_path += '\\';
        }
    }
    const auto dot = name.rfind('.');
    m_exeName = (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
}

Win32Application::~Win32Application()
{
    if (m_mutex != nullptr) {
        CloseHandle(m_mutex);
    }
}

bool Win32Application::prevInstance()
{
    if (m_mutex != nullptr) {
        return false;
    }
    // One instance per installed copy of the program.
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Kumoden-%016llx",
                  static_cast<unsigned long long>(InstanceKey(m_executable)));
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
