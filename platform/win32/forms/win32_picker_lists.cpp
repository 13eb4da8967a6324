#include "platform/win32/forms/win32_picker_lists.h"

#include "platform/win32/system/wide.h"

#include <algorithm>

namespace kumoden {
namespace {

// An entry of the folder list, with its depth below the root.
void addEntry(HWND list, const std::string& text, int level)
{
    const auto row = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(row), level);
}

constexpr int kIndentPixels = 8;

// A folder as the classic list draws it: a tab over a body, open ones with
// the body drawn hollow.
void drawFolder(HDC dc, int left, int middle, bool open)
{
    const HBRUSH body = CreateSolidBrush(RGB(240, 200, 80));
    const HGDIOBJ oldBrush = SelectObject(dc, open ? GetStockObject(WHITE_BRUSH) : body);
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, left, middle - 4, left + 5, middle - 2);
    Rectangle(dc, left, middle - 3, left + 12, middle + 5);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(body);
}

} // namespace

void Win32FolderList::show(const std::vector<FolderEntry>& entries, std::size_t opened)
{
    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    m_paths.clear();
    for (const FolderEntry& entry : entries) {
        addEntry(m_list, entry.text, entry.level);
        m_paths.push_back(entry.path);
    }
    m_openRow = static_cast<UINT>(opened);
    SendMessageW(m_list, LB_SETCURSEL, opened, 0);
    SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_list, nullptr, TRUE);
}

std::string Win32FolderList::highlighted() const
{
    const auto row = SendMessageW(m_list, LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<std::size_t>(row) >= m_paths.size()) {
        return {};
    }
    return m_paths[static_cast<std::size_t>(row)];
}

void Win32FolderList::setItemHeight()
{
    // An owner-drawn list keeps the height it was made with: the font's.
    const HDC dc = GetDC(m_list);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(m_list, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(m_list, dc);
    SendMessageW(m_list, LB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
}

void Win32FolderList::draw(const DRAWITEMSTRUCT& item) const
{
    if (item.itemID == static_cast<UINT>(-1)) {
        return;
    }
    const bool chosen = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(chosen ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const auto level = static_cast<int>(item.itemData);
    RECT text = item.rcItem;
    text.left += 2 + level * kIndentPixels;
    const int middle = (text.top + text.bottom) / 2;
    // The folders down to the opened one are open.
    drawFolder(item.hDC, text.left, middle, item.itemID < m_openRow + 1);
    text.left += 16;
    std::wstring name(static_cast<std::size_t>(SendMessageW(m_list, LB_GETTEXTLEN, item.itemID, 0)) + 1,
                      L'\0');
    name.resize(static_cast<std::size_t>(std::max<LRESULT>(
        SendMessageW(m_list, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(name.data())), 0)));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) != 0) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}

void Win32FileList::show(const std::vector<std::string>& names)
{
    SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
        SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(name).c_str()));
    }
}

std::string Win32FileList::fileName() const
{
    const auto row = SendMessageW(m_list, LB_GETCURSEL, 0, 0);
    if (row < 0) {
        return {};
    }
    const auto length = SendMessageW(m_list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (length <= 0) {
        return {};
    }
    std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied =
        SendMessageW(m_list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(name.data()));
    name.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return ToUtf8(name);
}

} // namespace kumoden
