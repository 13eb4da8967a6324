// Appends its own command line, as the system handed it over, to the file
// named by KUMODEN_RECORD_FILE (UTF-8, one line per start); then stays while
// a file of that name with ".hold" added exists.
#include "platform/win32/system/wide.h"

#include <string>
#include <windows.h>

int main()
{
    wchar_t logPath[32768] = {};
    if (GetEnvironmentVariableW(L"KUMODEN_RECORD_FILE", logPath, 32768) == 0) {
        return 2;
    }
    const std::string line = kumoden::ToUtf8(GetCommandLineW()) + "\n";
    const HANDLE log = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
        return 3;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    const std::wstring hold = std::wstring(logPath) + L".hold";
    while (GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES) {
        Sleep(50);
    }
    return ok && written == line.size() ? 0 : 4;
}
