#pragma once

#include "platform/folder_reader.h"
#include "platform/picker_view.h"

#include <optional>
#include <string>
#include <vector>

namespace kumoden {

// What the pickers' lists show, worked out once over the platform's
// FolderReader: names are ordered letter case aside (then as written), and
// compared letter case aside wherever a drive or file is looked up.
class FolderModel {
public:
    explicit FolderModel(const FolderReader& reader) : m_reader(reader) {}

    // The ready drives, each once and in order.
    std::vector<std::string> drives() const;
    // The drive a folder lies on: the deepest of the drives that holds it;
    // the folder's own root when none does.
    std::string driveOf(const std::string& folder, const std::vector<std::string>& drives) const;
    // The drive of the process's current folder.
    std::string currentDrive(const std::vector<std::string>& drives) const
    {
        return driveOf(m_reader.currentFolder(), drives);
    }
    // Where a drive opens: the folder the system keeps for it, else the
    // current folder when it lies on that drive, else the drive's root.
    std::string driveFolder(const std::string& drive, const std::vector<std::string>& drives) const;

    // The folder list for a folder: the chain from its root down to it,
    // then its sub-folders one level deeper. Nothing when it cannot be read.
    struct Folder {
        std::string path;
        std::vector<FolderEntry> entries;
        // The row of the folder itself, the last of the chain.
        std::size_t opened = 0;
    };
    std::optional<Folder> open(const std::string& path) const;
    // The ordinary files of a folder named as the pattern, letter case
    // aside; none when the folder cannot be read.
    std::vector<std::string> filesNamed(const std::string& folder, const std::string& pattern) const;

private:
    std::string childPath(const std::string& folder, const std::string& name) const;

    const FolderReader& m_reader;
};

} // namespace kumoden
