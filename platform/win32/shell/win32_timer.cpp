#include "platform/win32/shell/win32_timer.h"

namespace kumoden {
namespace {

constexpr wchar_t kClassName[] = L"KumodenTimer";
constexpr UINT_PTR kTimerId = 1;

ATOM registerClass(WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass);
}

} // namespace

Win32Timer::Win32Timer()
{
    static const ATOM registered = registerClass(&Win32Timer::windowProc);
    if (registered != 0) {
        m_window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    }
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

Win32Timer::~Win32Timer()
{
    if (m_window != nullptr) {
        KillTimer(m_window, kTimerId);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

void Win32Timer::setHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
}

void Win32Timer::setInterval(std::int32_t milliseconds)
{
    m_interval = milliseconds;
    if (m_window == nullptr) {
        return;
    }
    if (milliseconds <= 0) {
        KillTimer(m_window, kTimerId);
        return;
    }
    // Setting the same timer again restarts it with the new interval.
    SetTimer(m_window, kTimerId, static_cast<UINT>(milliseconds), nullptr);
}

LRESULT CALLBACK Win32Timer::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kTimerId) {
        auto* timer = reinterpret_cast<Win32Timer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        // A WM_TIMER already queued when the timer was stopped is dropped.
        if (timer != nullptr && timer->m_interval > 0 && timer->m_handler) {
            timer->m_handler();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace kumoden
