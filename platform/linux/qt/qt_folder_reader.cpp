#include "platform/linux/qt/qt_folder_reader.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <filesystem>
#include <system_error>

namespace kumoden {
namespace fs = std::filesystem;

std::vector<std::string> QtFolderReader::readyDrives() const
{
    std::vector<std::string> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // A file mounted on its own (as containers do) is no drive.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
            drives.push_back(volume.rootPath().toStdString());
        }
    }
    // Every folder lies on some drive.
    drives.push_back("/");
    return drives;
}

std::string QtFolderReader::currentFolder() const
{
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    // A current folder that was removed: the root stands in.
    return error ? std::string("/") : normalFolder(folder.string());
}

std::string QtFolderReader::normalFolder(const std::string& path) const
{
    std::string normal = fs::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

std::string QtFolderReader::rootOf(const std::string& path) const
{
    return path.starts_with('/') ? std::string("/") : std::string();
}

std::optional<FolderContents> QtFolderReader::read(const std::string& folder) const
{
    std::error_code error;
    fs::directory_iterator entry(fs::path(folder), error);
    if (error) {
        return std::nullopt;
    }
    FolderContents contents;
    while (entry != fs::directory_iterator()) {
        const std::string name = entry->path().filename().string();
        std::error_code kind;
        if (name.starts_with('.')) {
            // hidden
        } else if (entry->is_directory(kind)) {
            contents.folders.push_back(name);
        } else if (entry->is_regular_file(kind)) {
            contents.files.push_back(name);
        }
        entry.increment(error);
        if (error) {
            return std::nullopt;
        }
    }
    return contents;
}

} // namespace kumoden
