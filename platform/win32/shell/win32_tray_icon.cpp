#include "platform/win32/shell/win32_tray_icon.h"

#include "platform/win32/system/wide.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

namespace kumoden {
namespace {

// The icon is known to the shell by its window and this number.
constexpr UINT kIconNumber = 0;

// Copies text into a fixed field of the notification data, cut where it
// does not fit (never inside a surrogate pair) and always terminated.
template <std::size_t N> void copyField(wchar_t (&field)[N], const std::wstring& text)
{
    std::size_t length = std::min(text.size(), N - 1);
    if (length > 0 && length < text.size() && IS_HIGH_SURROGATE(text[length - 1])) {
        --length;
    }
    std::wmemcpy(field, text.data(), length);
    field[length] = L'\0';
}

LRESULT CALLBACK iconWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* icon = reinterpret_cast<Win32TrayIcon*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Nothing may be thrown across the system's frames.
    try {
        if (icon != nullptr && icon->handleMessage(message, lParam)) {
            return 0;
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createIconWindow(Win32TrayIcon* icon)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = iconWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTrayWindowClass;
    // A second icon finds the class registered already.
    RegisterClassExW(&windowClass);
    // Top-level, for the broadcast; never shown.
    return CreateWindowExW(WS_EX_TOOLWINDOW, kTrayWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           instance, icon);
}

} // namespace

std::optional<TrayAction> TrayActionOf(std::uint32_t mouseMessage)
{
    switch (mouseMessage) {
    case WM_RBUTTONDOWN:
        return TrayAction::Context;
    case WM_LBUTTONDBLCLK:
        return TrayAction::Activate;
    case WM_LBUTTONDOWN:
        return TrayAction::PrimaryClick;
    default:
        return std::nullopt;
    }
}

Win32TrayIcon::Win32TrayIcon() : m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated"))
{
    // The notification area draws small icons; the program's own, else the
    // system's application icon (a program without the resource, a test).
    m_icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
    if (m_icon == nullptr) {
        m_icon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    m_window = createIconWindow(this);
}

Win32TrayIcon::~Win32TrayIcon()
{
    remove();
    if (m_window != nullptr) {
        DestroyWindow(static_cast<HWND>(m_window));
    }
}

void Win32TrayIcon::setActionHandler(ActionHandler handler)
{
    m_handler = std::move(handler);
}

bool Win32TrayIcon::add(const std::string& tip)
{
    m_tip = ToWide(tip);
    m_wanted = true;
    readd();
    return m_shown;
}

void Win32TrayIcon::remove()
{
    m_wanted = false;
    if (m_shown) {
        notify(NIM_DELETE, 0);
        m_shown = false;
    }
}

void Win32TrayIcon::showNotice(const std::string& title, const std::string& text)
{
    if (m_wanted && m_shown) {
        notify(NIM_MODIFY, NIF_INFO, ToWide(title), ToWide(text));
    }
}

bool Win32TrayIcon::handleMessage(std::uint32_t message, std::intptr_t lParam)
{
    if (message == kTrayCallbackMessage) {
        const std::optional<TrayAction> action = TrayActionOf(LOWORD(static_cast<LPARAM>(lParam)));
        if (action && m_wanted && m_handler) {
            // A copy: the handler may set another one while it runs.
            const ActionHandler handler = m_handler;
            handler(*action);
        }
        return true;
    }
    if (m_taskbarCreated != 0 && message == m_taskbarCreated) {
        // The notification area is new: whatever it showed is gone.
        m_shown = false;
        if (m_wanted) {
            readd();
        }
        return true;
    }
    return false;
}

void Win32TrayIcon::readd()
{
    constexpr UINT flags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // A notification area that still has the icon refuses to add it again.
    m_shown = notify(NIM_ADD, flags) || notify(NIM_MODIFY, flags);
}

bool Win32TrayIcon::notify(std::uint32_t command, std::uint32_t flags, const std::wstring& title,
                           const std::wstring& text)
{
    if (m_window == nullptr) {
        return false;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = static_cast<HWND>(m_window);
    data.uID = kIconNumber;
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = static_cast<HICON>(m_icon);
    copyField(data.szTip, m_tip);
    if ((flags & NIF_INFO) != 0) {
        copyField(data.szInfoTitle, title);
        copyField(data.szInfo, text);
        data.dwInfoFlags = NIIF_WARNING;
    }
    return Shell_NotifyIconW(command, &data) != FALSE;
}

} // namespace kumoden
