#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kumoden {

// What one folder holds, in no particular order: the names of its
// sub-folders and of its ordinary files, hidden ones left out.
struct FolderContents {
    std::vector<std::string> folders;
    std::vector<std::string> files;
};

// What the pickers read of the platform's drives and folders. Paths are as
// the platform writes them: a root folder keeps its trailing separator
// ("/" on Linux, "C:\" on Windows), any other folder has none.
class FolderReader {
public:
    FolderReader() = default;
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;
    virtual ~FolderReader() = default;

    virtual char separator() const = 0;
    // The roots of the drives that are ready (a removable drive or a disc
    // drive only with a medium in it), in any order.
    virtual std::vector<std::string> readyDrives() const = 0;
    // The process's current folder; a root stands in for one that is gone.
    virtual std::string currentFolder() const = 0;
    // The folder the system keeps as current on a drive of its own (a
    // drive letter has one); empty where it keeps none.
    virtual std::string keptFolder(const std::string& drive) const = 0;
    // A path as a full, normal folder path.
    virtual std::string normalFolder(const std::string& path) const = 0;
    // The root of a full path ("/", "C:\", "\\server\share\"); empty when
    // it has none.
    virtual std::string rootOf(const std::string& path) const = 0;
    // Nothing when the folder cannot be read (gone, not a folder, refused).
    virtual std::optional<FolderContents> read(const std::string& folder) const = 0;
    // Orders two names as the platform's directory query compares them,
    // letter case aside: negative, zero or positive.
    virtual int compareNames(const std::string& a, const std::string& b) const = 0;
};

} // namespace kumoden
