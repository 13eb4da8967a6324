#pragma once

#include "platform/forms.h"

#include <string>
#include <vector>

namespace kumoden {

// The icon's popup menu: a native popup menu owned by the resident window.
class Win32PopupMenu final : public PopupMenuView {
public:
    Win32PopupMenu();
    ~Win32PopupMenu() override;

    // The window that owns the menu while it is shown.
    void setWindow(void* window) { m_window = window; }

    void setEntries(const std::vector<MenuEntry>& entries) override;
    void setDefaultEntry(int position) override;
    // TrackPopupMenuEx places it: the flags against x and y, and off the
    // excluded rectangle.
    int track(const PopupPlacement& placement) override;

    // The menu itself, for a look at what it holds.
    void* handle() const { return m_menu; }

private:
    void* m_menu = nullptr;
    void* m_window = nullptr;
    std::vector<MenuEntry> m_entries;
};

} // namespace kumoden
