#pragma once

#include "platform/picker_view.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kumoden::fake {

// Both pickers' windows: they keep what they are given to show.
//
// showModal runs whileShown, in which the test acts as the user. When that
// returns and nothing has unloaded the window, the user has closed it with
// the close button. One fake can be shown again, as a window loaded anew.
class FakePickerView final : public ProgramPickerView {
public:
    // --- what the user does while the window is shown

    std::function<void()> whileShown;

    // Raises the event only for a drive other than the chosen one, as the
    // real list does.
    void chooseDrive(const std::string& drive)
    {
        if (std::find(m_drives.begin(), m_drives.end(), drive) == m_drives.end()) {
            throw std::logic_error("not in the drive list: " + drive);
        }
        if (drive != m_drive) {
            m_drive = drive;
            m_events.driveChange();
        }
    }
    void openEntry(const std::string& path) { m_events.dirListOpen(path); }
    void chooseFile(const std::string& name)
    {
        if (std::find(m_files.begin(), m_files.end(), name) == m_files.end()) {
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
    const std::vector<std::string>& drives() const { return m_drives; }
    const std::vector<FolderEntry>& folderList() const { return m_entries; }
    // The folder the folder list shows as opened; empty before it shows any.
    std::string dirPath() const { return m_entries.empty() ? std::string() : m_entries[m_opened].path; }
    const std::vector<std::string>& fileList() const { return m_files; }

    // --- ProgramPickerView

    void setEvents(PickerEvents events) override { m_events = std::move(events); }
    void setDrives(const std::vector<std::string>& drives) override { m_drives = drives; }
    std::string drive() const override { return m_drive; }
    void setDrive(const std::string& drive) override { m_drive = drive; }
    void showFolders(const std::vector<FolderEntry>& entries, std::size_t opened) override
    {
        m_entries = entries;
        m_opened = opened;
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
    void showFiles(const std::vector<std::string>& names) override
    {
        m_files = names;
        m_fileName.clear();
    }
    std::string fileName() const override { return m_fileName; }

private:
    PickerEvents m_events;
    std::vector<std::string> m_drives;
    std::string m_drive;
    std::vector<FolderEntry> m_entries;
    std::size_t m_opened = 0;
    std::vector<std::string> m_files;
    std::string m_fileName;
    bool m_shown = false;
    bool m_unloaded = false;
    bool m_closedByUser = false;
};

} // namespace kumoden::fake
