#include "platform/win32/shell/win32_popup_menu.h"

#include "platform/win32/system/wide.h"

#include <windows.h>

namespace kumoden {
namespace {

// Entries carry their position + 1 as command: 0 is "nothing chosen".
UINT commandOf(std::size_t position)
{
    return static_cast<UINT>(position + 1);
}

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
    SetMenuDefaultItem(static_cast<HMENU>(m_menu),
                       valid ? static_cast<UINT>(position) : static_cast<UINT>(-1), TRUE);
}

int Win32PopupMenu::track(const PopupPlacement& placement)
{
    const auto owner = static_cast<HWND>(m_window);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the message afterwards lets the next one open at once.
    SetForegroundWindow(owner);
    TPMPARAMS params{};
    params.cbSize = sizeof params;
    const Rect& ex = placement.exclude;
    params.rcExclude = {ex.left, ex.top, ex.right, ex.bottom};
    // The choice comes back as the result, not as a command message.
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(static_cast<HMENU>(m_menu),
                                                            placement.flags | TPM_RETURNCMD | TPM_NONOTIFY,
                                                            placement.x, placement.y, owner, &params));
    PostMessageW(owner, WM_NULL, 0, 0);
    return command == 0 || command > m_entries.size() ? -1 : static_cast<int>(command - 1);
}

} // namespace kumoden
