#pragma once

#include "platform/picker_view.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kumoden::fake {

// Both pickers' windows over a file system of its own: drives, folders
// (readable or not) and the file names in each. Paths are plain strings,
// so a test writes them as either platform would.
//
// showModal runs whileShown, in which the test acts as the user. When that
// returns and nothing has unloaded the window, the user has closed it with
// the close button. One fake can be shown again, as a window loaded anew.
class FakePickerView final : public ProgramPickerView {
public:
    // --- the fake's file system

    void addDrive(const std::string& drive, const std::string& root, const std::string& currentFolder)
    {
        m_drives[drive] = {root, currentFolder};
    }
    void setCurrentDrive(const std::string& drive) { m_currentDrive = drive; }
    void addFolder(const std::string& path, std::vector<std::string> files = {})
    {
        m_folders[path] = std::move(files);
    }
    // Such a folder (or one never added) cannot be read.
    void makeUnreadable(const std::string& path) { m_folders.erase(path); }

    // --- what the user does while the window is shown

    std::function<void()> whileShown;

    // Raises the event only for a drive other than the chosen one, as the
    // real list does.
    void chooseDrive(const std::string& drive)
    {
        if (drive != m_drive) {
            m_drive = drive;
            m_events.driveChange();
        }
    }
    void openEntry(const std::string& path) { m_events.dirListOpen(path); }
    void chooseFile(const std::string& name)
    {
        const auto listed = fileList();
        if (std::find(listed.begin(), listed.end(), name) == listed.end()) {
            throw std::logic_error("not in the file list: " + name);
        }
        m_fileName = name;
    }
    void clickExec() { m_events.execClick(); }
    void clickCancel() { m_events.cancelClick(); }

    // --- what a test checks

    bool shown() const { return m_shown; }
    bool unloaded() const { return m_unloaded; }
    bool closedByUser() const { return m_closedByUser; }
    const std::string& filePath() const { return m_filePath; }
    const std::string& filePattern() const { return m_pattern; }
    // The names the file list shows: the folder's files of the pattern's
    // name, letter case aside.
    std::vector<std::string> fileList() const
    {
        std::vector<std::string> names;
        const auto folder = m_folders.find(m_filePath);
        if (folder == m_folders.end()) {
            return names;
        }
        for (const auto& name : folder->second) {
            if (lower(name) == lower(m_pattern)) {
                names.push_back(name);
            }
        }
        return names;
    }

    // --- ProgramPickerView

    void setEvents(PickerEvents events) override { m_events = std::move(events); }
    std::string currentDrive() const override { return m_currentDrive; }
    std::string driveFolder(const std::string& drive) const override { return m_drives.at(drive).second; }
    std::string driveRoot(const std::string& drive) const override { return m_drives.at(drive).first; }
    std::string drive() const override { return m_drive; }
    void setDrive(const std::string& drive) override { m_drive = drive; }
    std::string dirPath() const override { return m_dirPath; }
    bool setDirPath(const std::string& path) override
    {
        if (m_folders.count(path) == 0) {
            return false;
        }
        m_dirPath = path;
        return true;
    }
    void showModal() override
    {
        m_shown = true;
        m_unloaded = false;
        if (whileShown) {
            whileShown();
        }
        m_closedByUser = !m_unloaded;
        m_unloaded = true;
    }
    void unload() override { m_unloaded = true; }
    void setFilePattern(const std::string& pattern) override { m_pattern = pattern; }
    void setFilePath(const std::string& path) override
    {
        m_filePath = path;
        m_fileName.clear();
    }
    std::string fileName() const override { return m_fileName; }

private:
    static std::string lower(std::string text)
    {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }

    PickerEvents m_events;
    // drive -> (root, current folder)
    std::map<std::string, std::pair<std::string, std::string>> m_drives;
    std::string m_currentDrive;
    std::map<std::string, std::vector<std::string>> m_folders;
    std::string m_drive;
    std::string m_dirPath;
    std::string m_pattern;
    std::string m_filePath;
    std::string m_fileName;
    bool m_shown = false;
    bool m_unloaded = false;
    bool m_closedByUser = false;
};

} // namespace kumoden::fake
