#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kumoden {

// What the user does in a picker window. Each is raised on the user
// interface thread while the window is shown modally.
struct PickerEvents {
    // The user chose another drive in the drive list (not raised by
    // setDrive).
    std::function<void()> driveChange;
    // The user opened an entry of the folder list (double-click or Enter):
    // the full path of that entry. The list itself does not move; it shows
    // another folder only through showFolders.
    std::function<void(const std::string& path)> dirListOpen;
    std::function<void()> execClick;
    std::function<void()> cancelClick;
};

// One row of the folder list: the name it shows, the folder it stands
// for, and its depth below the root.
struct FolderEntry {
    std::string text;
    std::string path;
    int level = 0;

    bool operator==(const FolderEntry&) const = default;
};

// The folder picker "frmFile": a drive list "Drive", a folder list
// "DirList" and the buttons "cmdExec" and "cmdCancel". The window is built
// with its design (geometry, captions, fonts, tab order) when the view is
// made. It has neither a default nor a cancel button: Enter and Escape mean
// nothing to the window itself.
//
// The view only shows what it is given; what the lists hold is worked out
// by the picker's presenter.
class FolderPickerView {
public:
    FolderPickerView() = default;
    FolderPickerView(const FolderPickerView&) = delete;
    FolderPickerView& operator=(const FolderPickerView&) = delete;
    virtual ~FolderPickerView() = default;

    virtual void setEvents(PickerEvents events) = 0;

    // Fills the drive list, one entry per drive root.
    virtual void setDrives(const std::vector<std::string>& drives) = 0;
    // The drive chosen in the drive list.
    virtual std::string drive() const = 0;
    // Chooses a listed drive; raises no event.
    virtual void setDrive(const std::string& drive) = 0;

    // Fills the folder list; the entries up to the opened one are drawn as
    // open folders, and the opened one is highlighted.
    virtual void showFolders(const std::vector<FolderEntry>& entries, std::size_t opened) = 0;

    // Shows the window modally and returns when it has been unloaded, by
    // unload() or by the window's close button (which raises no event).
    virtual void showModal() = 0;
    // Closes the window; showModal returns once the handler that called
    // this has returned.
    virtual void unload() = 0;
};

// The program picker "frmExe": the folder picker's lists and buttons plus a
// file list "filSelect".
class ProgramPickerView : public FolderPickerView {
public:
    // Fills the file list; nothing is chosen afterwards.
    virtual void showFiles(const std::vector<std::string>& names) = 0;
    // The name of the file chosen in the list as the list shows it; empty
    // when none is chosen.
    virtual std::string fileName() const = 0;
};

} // namespace kumoden
