#include "platform/win32/shell/win32_desktop.h"

#include <windows.h>

namespace kumoden {
namespace {

Rect windowRect(HWND window)
{
    RECT r{};
    if (window == nullptr || !GetWindowRect(window, &r)) {
        return {};
    }
    return {r.left, r.top, r.right, r.bottom};
}

// Pixels per logical inch of the screen (96 unless scaled).
int screenDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

} // namespace

double Win32Desktop::twipsPerPixelX() const
{
    return 1440.0 / screenDpi();
}

double Win32Desktop::twipsPerPixelY() const
{
    return 1440.0 / screenDpi();
}

double Win32Desktop::screenWidth() const
{
    return GetSystemMetrics(SM_CXSCREEN) * twipsPerPixelX();
}

double Win32Desktop::screenHeight() const
{
    return GetSystemMetrics(SM_CYSCREEN) * twipsPerPixelY();
}

Rect Win32Desktop::taskbarRect() const
{
    return windowRect(FindWindowW(L"Shell_TrayWnd", nullptr));
}

Rect Win32Desktop::notificationRect() const
{
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    return taskbar != nullptr ? windowRect(FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr))
                              : Rect{};
}

void Win32Desktop::setForegroundWindow()
{
    if (m_window != nullptr) {
        SetForegroundWindow(static_cast<HWND>(m_window));
    }
}

void Win32Desktop::doEvents()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Desktop::endProcess()
{
    // No message is taken from the queue on the way out: a WM_TIMER or a
    // click waiting there dies with the process. The icon's NIM_DELETE was
    // sent and answered before this.
    ExitProcess(0);
}

} // namespace kumoden
