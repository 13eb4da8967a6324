#pragma once

#include <functional>
#include <string>

namespace kumoden {

// What the user does in a picker window. Each is raised on the user
// interface thread while the window is shown modally.
struct PickerEvents {
    // The user chose another drive in the drive list (not raised by
    // setDrive).
    std::function<void()> driveChange;
    // The user opened an entry of the folder list (double-click or Enter):
    // the full path of that entry. The list itself does not move; it opens
    // a folder only through setDirPath.
    std::function<void(const std::string& path)> dirListOpen;
    std::function<void()> execClick;
    std::function<void()> cancelClick;
};

// The folder picker "frmFile": a drive list "Drive", a folder list
// "DirList" and the buttons "cmdExec" and "cmdCancel". The window is built
// with its design (geometry, captions, fonts, tab order) when the view is
// made. It has neither a default nor a cancel button: Enter and Escape mean
// nothing to the window itself.
//
// Paths are as the platform writes them: a root folder keeps its trailing
// separator ("/" on Linux, "C:\" on Windows), any other folder has none.
class FolderPickerView {
public:
    FolderPickerView() = default;
    FolderPickerView(const FolderPickerView&) = delete;
    FolderPickerView& operator=(const FolderPickerView&) = delete;
    virtual ~FolderPickerView() = default;

    virtual void setEvents(PickerEvents events) = 0;

    // The platform's current drive, and for any drive its current folder
    // and its root folder.
    virtual std::string currentDrive() const = 0;
    virtual std::string driveFolder(const std::string& drive) const = 0;
    virtual std::string driveRoot(const std::string& drive) const = 0;

    // The drive chosen in the drive list.
    virtual std::string drive() const = 0;
    // Chooses a drive of the list; raises no event.
    virtual void setDrive(const std::string& drive) = 0;

    // The folder the folder list has opened: not an entry that is merely
    // highlighted. Empty before the list has opened any.
    virtual std::string dirPath() const = 0;
    // Opens a folder in the folder list. False when it cannot be read (it
    // is gone, not a folder, or not readable): the list then stays as it
    // was.
    virtual bool setDirPath(const std::string& path) = 0;

    // Shows the window modally and returns when it has been unloaded, by
    // unload() or by the window's close button (which raises no event).
    virtual void showModal() = 0;
    // Closes the window; showModal returns once the handler that called
    // this has returned.
    virtual void unload() = 0;
};

// The program picker "frmExe": the folder picker's lists and buttons plus a
// file list "filSelect" that shows the ordinary files of one folder whose
// name matches its pattern.
class ProgramPickerView : public FolderPickerView {
public:
    // Only files of this name (letter case aside) are listed.
    virtual void setFilePattern(const std::string& pattern) = 0;
    // Lists the files of this folder; a folder that cannot be read lists
    // none. Nothing is chosen afterwards.
    virtual void setFilePath(const std::string& path) = 0;
    // The name of the file chosen in the list as the list shows it; empty
    // when none is chosen.
    virtual std::string fileName() const = 0;
};

} // namespace kumoden
