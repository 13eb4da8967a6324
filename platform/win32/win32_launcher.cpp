#include "platform/win32/win32_launcher.h"

#include "platform/win32/wide.h"

#include <mutex>
#include <thread>
#include <utility>
#include <windows.h>

namespace kumoden {

struct Win32Launcher::Ended {
    std::mutex mutex;
    std::vector<TaskEnd> ends;
};

namespace {

void follow(HANDLE process, DWORD id, const std::shared_ptr<Win32Launcher::Ended>& ended)
{
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    const std::lock_guard lock(ended->mutex);
    ended->ends.push_back({id, static_cast<int>(code), 0, {}});
}

} // namespace

Win32Launcher::Win32Launcher() : m_ended(std::make_shared<Ended>()) {}

Win32Launcher::~Win32Launcher() = default;

std::uint64_t Win32Launcher::launch(const LaunchRequest& request)
{
    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring commandLine = ToWide(request.commandLine);
    if (commandLine.empty()) {
        return 0;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 0;
    }
    CloseHandle(process.hThread);
    std::thread(follow, process.hProcess, process.dwProcessId, m_ended).detach();
    return process.dwProcessId;
}

std::vector<TaskEnd> Win32Launcher::takeEnded()
{
    const std::lock_guard lock(m_ended->mutex);
    return std::exchange(m_ended->ends, {});
}

} // namespace kumoden
