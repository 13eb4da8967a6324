#include "platform/win32/win32_launcher.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace kumoden {

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
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}

} // namespace kumoden
