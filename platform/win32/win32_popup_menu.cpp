#include "platform/win32/win32_popup_menu.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <algorithm>

namespace kumoden {
namespace {

// Entries carry their position + 1 as command: 0 is "nothing chosen".
UINT commandOf(std::size_t position)
{
    return static_cast<UINT>(position + 1);
}

// A screen device context with the menu font (bold for the default entry).
class MenuFontDc {
public:
    explicit MenuFontDc(bool bold) : m_dc(GetDC(nullptr))
    {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
            if (bold) {
                metrics.lfMenuFont.lfWeight = FW_BOLD;
            }
            m_font = CreateFontIndirectW(&metrics.lfMenuFont);
        }
        if (m_dc != nullptr && m_font != nullptr) {
            m_old = SelectObject(m_dc, m_font);
        }
    }
    MenuFontDc(const MenuFontDc&) = delete;
    MenuFontDc& operator=(const MenuFontDc&) = delete;
    ~MenuFontDc()
    {
        if (m_old != nullptr) {
            SelectObject(m_dc, m_old);
        }
        if (m_font != nullptr) {
            DeleteObject(m_font);
        }
        if (m_dc != nullptr) {
            ReleaseDC(nullptr, m_dc);
        }
    }

    // The caption's size as a menu draws it: "&" marks the access key and
    // takes no room.
    SIZE measure(const std::wstring& caption) const
    {
        RECT r{};
        if (m_dc != nullptr) {
            DrawTextW(m_dc, caption.c_str(), static_cast<int>(caption.size()), &r,
                      DT_CALCRECT | DT_SINGLELINE);
        }
        return {r.right - r.left, r.bottom - r.top};
    }

private:
    HDC m_dc;
    HFONT m_font = nullptr;
    HGDIOBJ m_old = nullptr;
};

} // namespace

Win32PopupMenu::Win32PopupMenu() : m_menu(CreatePopupMenu()) {}

Win32PopupMenu::~Win32PopupMenu()
{
    if (m_menu != nullptr) {
        DestroyMenu(static_cast<HMENU>(m_menu));
    }
}

void Win32PopupMenu::setEntries(const std::vector<MenuEntry>& entries)
{
    const auto menu = static_cast<HMENU>(m_menu);
    while (GetMenuItemCount(menu) > 0) {
        DeleteMenu(menu, 0, MF_BYPOSITION);
    }
    m_entries = entries;
    m_default = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].isSeparator()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, commandOf(i), ToWide(entries[i].caption).c_str());
        }
    }
}

void Win32PopupMenu::setDefaultEntry(int position)
{
    const bool valid = position >= 0 && position < static_cast<int>(m_entries.size()) &&
                       !m_entries[static_cast<std::size_t>(position)].isSeparator();
    m_default = valid ? position : -1;
    SetMenuDefaultItem(static_cast<HMENU>(m_menu),
                       valid ? static_cast<UINT>(position) : static_cast<UINT>(-1), TRUE);
}

// A popup menu cannot be measured before it is shown (GetMenuItemRect needs
// its window), so its size is computed the way the classic menu lays out
// its items: a text item is its caption's line plus 2 pixels above and
// below, at least the check mark's height plus the same; a separator is half
// a menu item (SM_CYMENUSIZE / 2); the widest caption (the default one in
// bold) has 3 pixels on either side and a check-mark column beyond each;
// around it all the menu's frame (SM_CXFIXEDFRAME). Windows with visual
// styles draws its items a few pixels taller; the menu then sits that much
// off where it was placed, never over the taskbar.
Size Win32PopupMenu::size()
{
    constexpr int kTextMargin = 2;
    constexpr int kTextGap = 3;
    const MenuFontDc normal(false);
    const MenuFontDc bold(true);
    const int checkHeight = GetSystemMetrics(SM_CYMENUCHECK);
    int width = 0;
    int height = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].isSeparator()) {
            height += GetSystemMetrics(SM_CYMENUSIZE) / 2;
            continue;
        }
        const MenuFontDc& font = static_cast<int>(i) == m_default ? bold : normal;
        const SIZE text = font.measure(ToWide(m_entries[i].caption));
        width = std::max<int>(width, text.cx);
        height += std::max<int>(text.cy, checkHeight) + 2 * kTextMargin;
    }
    width += 2 * (kTextGap + GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXFIXEDFRAME));
    return {width, height + 2 * GetSystemMetrics(SM_CYFIXEDFRAME)};
}

int Win32PopupMenu::track(Point topLeft)
{
    const auto owner = static_cast<HWND>(m_window);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the message afterwards lets the next one open at once.
    SetForegroundWindow(owner);
    const UINT command = static_cast<UINT>(
        TrackPopupMenuEx(static_cast<HMENU>(m_menu),
                         TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                         topLeft.x, topLeft.y, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    return command == 0 || command > m_entries.size() ? -1 : static_cast<int>(command - 1);
}

} // namespace kumoden
