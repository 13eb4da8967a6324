#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kumoden {

// The drives of this machine that are ready, by their roots ("C:\"): a
// removable drive or a disc drive only with a medium in it.
std::vector<std::string> ReadyDrives();
// Whether two names or paths are the same, letter case aside.
bool SameName(const std::string& a, const std::string& b);
// The root of a path ("C:\", "\\server\share\"); empty when it has none.
std::string RootOf(const std::string& path);
// A folder's full path: a root keeps its separator, any other folder has
// none.
std::string NormalFolder(const std::string& path);
// The drive a folder lies on: the deepest listed root that holds it
// (letter case aside); the folder's own root when none does.
std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives);
// The process's current folder.
std::string CurrentFolder();
// A drive's current folder: for a drive letter the one the system keeps
// for it, for any other drive the process's current folder when that lies
// on the drive, else the drive's root.
std::string DriveCurrentFolder(const std::string& drive, const std::vector<std::string>& drives);

// The folder list on an owner-drawn list box: the folders from the root
// down to the opened one, then the opened one's sub-folders, indented by
// depth. Only setPath opens one.
class Win32FolderList {
public:
    explicit Win32FolderList(HWND list) : m_list(list) { setItemHeight(); }

    const std::string& path() const { return m_path; }
    // False, with the list left as it was, when the folder cannot be read.
    bool setPath(const std::string& path);
    // The full path of the highlighted entry; empty when none is.
    std::string highlighted() const;
    // Draws one entry (WM_DRAWITEM).
    void draw(const DRAWITEMSTRUCT& item) const;

private:
    void setItemHeight();

    HWND m_list;
    UINT m_openRow = 0;
    std::string m_path;
    std::vector<std::string> m_entries;
};

// The file list on a list box: the ordinary files of one folder whose name
// is the pattern, letter case aside; one of them can be chosen.
class Win32FileList {
public:
    explicit Win32FileList(HWND list) : m_list(list) {}

    void setPattern(const std::string& pattern) { m_pattern = pattern; }
    // A folder that cannot be read lists nothing.
    void setPath(const std::string& path);
    const std::string& path() const { return m_path; }
    // The chosen file's name, or empty.
    std::string fileName() const;

private:
    HWND m_list;
    std::string m_pattern;
    std::string m_path;
};

} // namespace kumoden
