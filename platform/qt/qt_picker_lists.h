#pragma once

#include <QComboBox>
#include <QListWidget>

#include <functional>
#include <string>
#include <vector>

namespace kumoden {

// The drives of this machine: the roots of the mounted file systems that
// are ready, sorted and each once.
std::vector<std::string> mountedDrives();
// The drive a folder lies on: the deepest drive root that contains it.
std::string driveOf(const std::string& folder, const std::vector<std::string>& drives);
// The process's current folder.
std::string currentFolder();
// A drive's current folder: the process's current folder when it lies on
// that drive, else the drive's root.
std::string driveCurrentFolder(const std::string& drive, const std::vector<std::string>& drives);

// The drive list: one entry per drive, showing its root.
class QtDriveList final : public QComboBox {
public:
    QtDriveList(std::vector<std::string> drives, QWidget* parent);

    // Runs when the user chooses another drive.
    void setChangeHandler(std::function<void()> handler) { m_onChange = std::move(handler); }
    std::string drive() const;
    // Chooses a listed drive without running the handler.
    void setDrive(const std::string& drive);

private:
    std::function<void()> m_onChange;
};

// The folder list: the folders from the root down to the opened one, then
// the opened one's sub-folders, indented by depth. A double-click or Enter
// on an entry asks for it to be opened; only setPath opens one.
class QtFolderList final : public QListWidget {
public:
    explicit QtFolderList(QWidget* parent);

    void setOpenHandler(std::function<void(const std::string&)> handler) { m_onOpen = std::move(handler); }
    const std::string& path() const { return m_path; }
    // False, with the list left as it was, when the folder cannot be read.
    bool setPath(const std::string& path);
    // The full path of an entry.
    static std::string entryPath(const QListWidgetItem& item);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(const QListWidgetItem* item);

    std::function<void(const std::string&)> m_onOpen;
    std::string m_path;
};

// The file list: the ordinary files of one folder whose name is the
// pattern, letter case aside; one of them can be chosen.
class QtFileList final : public QListWidget {
public:
    explicit QtFileList(QWidget* parent);

    void setPattern(const std::string& pattern) { m_pattern = pattern; }
    // A folder that cannot be read lists nothing.
    void setPath(const std::string& path);
    const std::string& path() const { return m_path; }
    // The chosen file's name, or empty.
    std::string fileName() const;

private:
    std::string m_pattern;
    std::string m_path;
};

} // namespace kumoden
