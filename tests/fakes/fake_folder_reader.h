#pragma once

#include "platform/common/wildcard.h"
#include "platform/folder_reader.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kumoden::fake {

// Drives and folders of its own, written as either platform writes them:
// with '/' a Linux machine, with '\' a Windows one ("C:\" roots). Paths are
// taken as full and normal already. A folder's sub-folders are the folders
// added below it.
class FakeFolderReader final : public FolderReader {
public:
    explicit FakeFolderReader(char separator = '/') : m_separator(separator) {}

    void addDrive(const std::string& root) { m_drives.push_back(root); }
    // The folder the system keeps as current on a drive.
    void keepFolder(const std::string& drive, const std::string& folder) { m_kept[drive] = folder; }
    void setCurrentFolder(const std::string& folder) { m_current = folder; }
    void addFolder(const std::string& path, std::vector<std::string> files = {})
    {
        m_folders[path] = std::move(files);
    }
    // Such a folder (or one never added) cannot be read.
    void makeUnreadable(const std::string& path) { m_folders.erase(path); }

    char separator() const override { return m_separator; }
    std::vector<std::string> readyDrives() const override { return m_drives; }
    std::string currentFolder() const override { return m_current; }
    std::string keptFolder(const std::string& drive) const override
    {
        const auto kept = m_kept.find(drive);
        return kept == m_kept.end() ? std::string() : kept->second;
    }
    std::string normalFolder(const std::string& path) const override
    {
        std::string normal = path;
        while (normal.size() > rootOf(normal).size() && normal.ends_with(m_separator)) {
            normal.pop_back();
        }
        return normal;
    }
    std::string rootOf(const std::string& path) const override
    {
        if (m_separator == '/') {
            return path.starts_with('/') ? "/" : "";
        }
        return path.size() >= 3 && path[1] == ':' && path[2] == '\\' ? path.substr(0, 3) : "";
    }
    int compareNames(const std::string& a, const std::string& b) const override
    {
        return CompareFolded(a, b);
    }
    std::optional<FolderContents> read(const std::string& folder) const override
    {
        const auto found = m_folders.find(folder);
        if (found == m_folders.end()) {
            return std::nullopt;
        }
        FolderContents contents{{}, found->second};
        const std::string prefix = folder.ends_with(m_separator) ? folder : folder + m_separator;
        for (const auto& [path, files] : m_folders) {
            if (path.size() > prefix.size() && path.starts_with(prefix) &&
                path.find(m_separator, prefix.size()) == std::string::npos) {
                contents.folders.push_back(path.substr(prefix.size()));
            }
        }
        return contents;
    }

private:
    char m_separator;
    std::vector<std::string> m_drives;
    std::map<std::string, std::string> m_kept;
    std::string m_current;
    std::map<std::string, std::vector<std::string>> m_folders;
};

} // namespace kumoden::fake
