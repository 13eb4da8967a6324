#include "platform/win32/win32_tray_icon.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace kumoden {
namespace {

constexpr UINT kIconNumber = 1;

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

// The shift argument of a mouse event: 1 shift, 2 control, 4 alt.
int shiftState()
{
    const auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    return (down(VK_SHIFT) ? 1 : 0) | (down(VK_CONTROL) ? 2 : 0) | (down(VK_MENU) ? 4 : 0);
}

} // namespace

Win32TrayIcon::Win32TrayIcon(const Desktop& desktop)
    : m_desktop(desktop), m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated"))
{
    // The notification area draws small icons; the program's own, else the
    // system's application icon (a program without the resource, a test).
    m_icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
    if (m_icon == nullptr) {
        m_icon = LoadIconW(nullptr, IDI_APPLICATION);
    }
}

Win32TrayIcon::~Win32TrayIcon()
{
    remove();
}

void Win32TrayIcon::setMouseMoveHandler(MouseMoveHandler handler)
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

bool Win32TrayIcon::handleMessage(std::uint32_t message, std::uintptr_t, std::intptr_t lParam)
{
    if (message == kTrayCallbackMessage) {
        if (m_wanted && m_handler) {
            // The event's x in twips is the mouse message times the twips per
            // pixel. A screen whose twips per pixel is no whole number (175 %)
            // is taken at the nearest whole one, as the event's reader does,
            // so that the message comes back whole.
            const int mouseMessage = LOWORD(static_cast<LPARAM>(lParam));
            const double perPixel = std::nearbyint(m_desktop.twipsPerPixelX());
            m_handler(0, shiftState(), mouseMessage * perPixel, 0.0);
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
