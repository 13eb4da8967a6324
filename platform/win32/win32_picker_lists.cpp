#include "platform/win32/win32_picker_lists.h"

#include "platform/win32/wide.h"

#include <algorithm>
#include <optional>

namespace kumoden {
namespace {

bool sameNames(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// Names in the order a person reads them: letter case aside, then as written.
void sortNames(std::vector<std::wstring>& names)
{
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        const int order = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                               static_cast<int>(b.size()), TRUE);
        return order != CSTR_EQUAL ? order == CSTR_LESS_THAN : a < b;
    });
}

std::string childPath(const std::string& folder, const std::string& name)
{
    return folder.ends_with('\\') ? folder + name : folder + "\\" + name;
}

// The names in a folder that pass the test, hidden and system ones left
// out; nothing when the folder cannot be read.
template <typename Test>
std::optional<std::vector<std::wstring>> readFolder(const std::string& folder, Test test)
{
    const std::wstring pattern = ToWide(childPath(folder, "*"));
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    std::vector<std::wstring> names;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(ToWide(folder).c_str());
        // An empty root has not even "." in it.
        const bool emptyFolder = error == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
                                 (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return emptyFolder ? std::optional(names) : std::nullopt;
    }
    do {
        const std::wstring name = found.cFileName;
        const DWORD attributes = found.dwFileAttributes;
        if (name != L"." && name != L".." &&
            (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0 && test(name, attributes)) {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    const DWORD ended = GetLastError();
    FindClose(search);
    if (ended != ERROR_NO_MORE_FILES) {
        return std::nullopt;
    }
    sortNames(names);
    return names;
}

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

std::vector<std::string> ReadyDrives()
{
    std::vector<std::string> drives;
    const DWORD mask = GetLogicalDrives();
    // A drive without a medium answers at once instead of asking for one.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    for (int letter = 0; letter < 26; ++letter) {
        if ((mask & (1u << letter)) == 0) {
            continue;
        }
        const std::wstring root{static_cast<wchar_t>(L'A' + letter), L':', L'\\'};
        const UINT type = GetDriveTypeW(root.c_str());
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) {
            continue;
        }
        if ((type == DRIVE_REMOVABLE || type == DRIVE_CDROM) &&
            !GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
            continue;
        }
        drives.push_back(ToUtf8(root));
    }
    SetErrorMode(previous);
    return drives;
}

bool SameName(const std::string& a, const std::string& b)
{
    return sameNames(ToWide(a), ToWide(b));
}

std::string RootOf(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':') {
        return path.substr(0, 2) + "\\";
    }
    if (path.starts_with("\\\\")) {
        // \\server\share\ .
        const auto server = path.find('\\', 2);
        if (server == std::string::npos) {
            return {};
        }
        const auto share = path.find('\\', server + 1);
        return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
    }
    return {};
}

std::string NormalFolder(const std::string& path)
{
    const std::wstring wide = ToWide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::string full = path;
    if (needed > 0) {
        std::wstring buffer(needed, L'\0');
        const DWORD written = GetFullPathNameW(wide.c_str(), needed, buffer.data(), nullptr);
        if (written > 0 && written < needed) {
            buffer.resize(written);
            full = ToUtf8(buffer);
        }
    }
    const std::size_t root = RootOf(full).size();
    while (full.size() > root && full.size() > 1 && full.back() == '\\') {
        full.pop_back();
    }
    return full;
}

std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives)
{
    const std::wstring wideFolder = ToWide(folder);
    std::string best;
    for (const std::string& drive : drives) {
        const std::wstring root = ToWide(drive);
        const bool isRoot = root.ends_with(L'\\');
        const std::size_t length = root.size();
        bool holds = wideFolder.size() >= length && sameNames(wideFolder.substr(0, length), root);
        // A folder standing in for a drive holds what lies below it.
        if (!isRoot && holds) {
            holds = wideFolder.size() == length || wideFolder[length] == L'\\';
        }
        if (holds && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best.empty() ? RootOf(folder) : best;
}

std::string CurrentFolder()
{
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer(needed, L'\0');
    const DWORD written = needed > 0 ? GetCurrentDirectoryW(needed, buffer.data()) : 0;
    buffer.resize(written < needed ? written : 0);
    return NormalFolder(ToUtf8(buffer));
}

std::string DriveCurrentFolder(const std::string& drive, const std::vector<std::string>& drives)
{
    if (drive.size() == 3 && drive[1] == ':' && drive[2] == '\\') {
        return NormalFolder(drive.substr(0, 2)); // "C:" is that drive's current folder
    }
    const std::string folder = CurrentFolder();
    return DriveOf(folder, drives) == drive ? folder : drive;
}

bool Win32FolderList::setPath(const std::string& path)
{
    const std::string folder = NormalFolder(path);
    const auto subFolders = readFolder(folder, [](const std::wstring&, DWORD attributes) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    });
    if (!subFolders || RootOf(folder).empty()) {
        return false;
    }

    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    m_entries.clear();
    // The chain from the root down to the opened folder.
    std::string chain = RootOf(folder);
    addEntry(m_list, chain, 0);
    m_entries.push_back(chain);
    std::size_t start = chain.size();
    while (start < folder.size()) {
        const std::size_t end = std::min(folder.find('\\', start), folder.size());
        const std::string name = folder.substr(start, end - start);
        chain = childPath(chain, name);
        addEntry(m_list, name, static_cast<int>(m_entries.size()));
        m_entries.push_back(chain);
        start = end + 1;
    }
    const auto opened = static_cast<WPARAM>(m_entries.size() - 1);
    for (const std::wstring& name : *subFolders) {
        const std::string text = ToUtf8(name);
        addEntry(m_list, text, static_cast<int>(opened) + 1);
        m_entries.push_back(childPath(folder, text));
    }
    m_openRow = static_cast<UINT>(opened);
    SendMessageW(m_list, LB_SETCURSEL, opened, 0);
    SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_list, nullptr, TRUE);
    m_path = folder;
    return true;
}

std::string Win32FolderList::highlighted() const
{
    const auto row = SendMessageW(m_list, LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<std::size_t>(row) >= m_entries.size()) {
        return {};
    }
    return m_entries[static_cast<std::size_t>(row)];
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

void Win32FileList::setPath(const std::string& path)
{
    m_path = NormalFolder(path);
    SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    const std::wstring pattern = ToWide(m_pattern);
    const auto files = readFolder(m_path, [&](const std::wstring& name, DWORD attributes) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && sameNames(name, pattern);
    });
    for (const std::wstring& name : files.value_or(std::vector<std::wstring>{})) {
        SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
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
