#pragma once

#include "platform/picker_view.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kumoden {

// The folder list on an owner-drawn list box: its entries indented by
// depth.
class Win32FolderList {
public:
    explicit Win32FolderList(HWND list) : m_list(list) { setItemHeight(); }

    void show(const std::vector<FolderEntry>& entries, std::size_t opened);
    // The full path of the highlighted entry; empty when none is.
    std::string highlighted() const;
    // Draws one entry (WM_DRAWITEM).
    void draw(const DRAWITEMSTRUCT& item) const;

private:
    void setItemHeight();

    HWND m_list;
    UINT m_openRow = 0;
    std::vector<std::string> m_paths;
};

// The file list on a list box; one of its files can be chosen.
class Win32FileList {
public:
    explicit Win32FileList(HWND list) : m_list(list) {}

    void show(const std::vector<std::string>& names);
    // The chosen file's name, or empty.
    std::string fileName() const;

private:
    HWND m_list;
};

} // namespace kumoden
