// What a test on the host sees of the Windows side, run in the same prefix
// as the program under test: "window_lister list" prints every top-level
// window, then the controls of the shown ones, one line each (UTF-8):
//   top|child <tab> handle <tab> process <tab> class <tab> text <tab>
//   x y width height <tab> shown
#include "platform/win32/system/wide.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string processName(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return "?";
    }
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    if (!ok) {
        return "?";
    }
    const std::wstring full(path, size);
    return kumoden::ToUtf8(full.substr(full.find_last_of(L"\\/") + 1));
}

void print(const char* kind, HWND window, const std::string& process)
{
    wchar_t className[256] = {};
    GetClassNameW(window, className, 256);
    // WM_GETTEXT reaches another process's controls; a hung one is skipped.
    wchar_t text[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000,
                        &length);
    std::wstring shown(text);
    for (wchar_t& c : shown) {
        c = (c == L'\t' || c == L'\n' || c == L'\r') ? L' ' : c;
    }
    RECT box{};
    GetWindowRect(window, &box);
    std::printf("%s\t%llx\t%s\t%s\t%s\t%ld %ld %ld %ld\t%d\n", kind,
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), process.c_str(),
                kumoden::ToUtf8(className).c_str(), kumoden::ToUtf8(shown).c_str(), box.left, box.top,
                box.right - box.left, box.bottom - box.top, IsWindowVisible(window) ? 1 : 0);
}

BOOL CALLBACK printChild(HWND child, LPARAM process)
{
    print("child", child, *reinterpret_cast<const std::string*>(process));
    return TRUE;
}

BOOL CALLBACK printTopLevel(HWND window, LPARAM)
{
    const std::string process = processName(window);
    print("top", window, process);
    if (IsWindowVisible(window)) {
        EnumChildWindows(window, printChild, reinterpret_cast<LPARAM>(&process));
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"list") {
        EnumWindows(printTopLevel, 0);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: window_lister list\n");
    return 2;
}
