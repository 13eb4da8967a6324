#pragma once

#include "platform/common/wildcard.h"
#include "platform/folder_reader.h"

namespace kumoden {

// Drives and folders on Linux: the drives are the roots of the mounted
// file systems that are ready; hidden means a name starting with a dot.
class QtFolderReader final : public FolderReader {
public:
    char separator() const override { return '/'; }
    std::vector<std::string> readyDrives() const override;
    std::string currentFolder() const override;
    // Linux keeps no current folder per drive.
    std::string keptFolder(const std::string&) const override { return {}; }
    std::string normalFolder(const std::string& path) const override;
    std::string rootOf(const std::string& path) const override;
    std::optional<FolderContents> read(const std::string& folder) const override;
    int compareNames(const std::string& a, const std::string& b) const override
    {
        return CompareFolded(a, b);
    }
};

} // namespace kumoden
