#pragma once

#include "platform/common/wildcard.h"
#include "platform/folder_reader.h"

namespace kumoden {

// Drives and folders on Windows: the drive letters that are ready; hidden
// means the hidden or the system attribute.
class Win32FolderReader final : public FolderReader {
public:
    char separator() const override { return '\\'; }
    std::vector<std::string> readyDrives() const override;
    std::string currentFolder() const override;
    // For a drive letter, the folder the system keeps as its current one.
    std::string keptFolder(const std::string& drive) const override;
    std::string normalFolder(const std::string& path) const override;
    std::string rootOf(const std::string& path) const override;
    std::optional<FolderContents> read(const std::string& folder) const override;
    int compareNames(const std::string& a, const std::string& b) const override
    {
        return CompareFolded(a, b);
    }
};

} // namespace kumoden
