#include "settings_ui/folder_model.h"

#include <algorithm>

namespace kumoden {
namespace {

void sortNames(const FolderReader& reader, std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const int order = reader.compareNames(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace

std::vector<std::string> FolderModel::drives() const
{
    std::vector<std::string> drives = m_reader.readyDrives();
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    return drives;
}

std::string FolderModel::driveOf(const std::string& folder, const std::vector<std::string>& drives) const
{
    const char separator = m_reader.separator();
    std::string best;
    for (const std::string& drive : drives) {
        const std::size_t length = drive.size();
        bool holds = folder.size() >= length && m_reader.compareNames(folder.substr(0, length), drive) == 0;
        // A folder standing in for a drive (a mount point) holds what lies
        // below it, not its namesakes beside it.
        if (holds && !drive.ends_with(separator)) {
            holds = folder.size() == length || folder[length] == separator;
        }
        if (holds && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best.empty() ? m_reader.rootOf(folder) : best;
}

std::string FolderModel::driveFolder(const std::string& drive, const std::vector<std::string>& drives) const
{
    const std::string kept = m_reader.keptFolder(drive);
    if (!kept.empty()) {
        return kept;
    }
    const std::string current = m_reader.currentFolder();
    return driveOf(current, drives) == drive ? current : drive;
}

std::optional<FolderModel::Folder> FolderModel::open(const std::string& path) const
{
    const std::string folder = m_reader.normalFolder(path);
    const std::string root = m_reader.rootOf(folder);
    if (root.empty()) {
        return std::nullopt;
    }
    auto contents = m_reader.read(folder);
    if (!contents) {
        return std::nullopt;
    }
    Folder result{folder, {}, 0};
    std::string chain = root;
    result.entries.push_back({root, root, 0});
    const char separator = m_reader.separator();
    for (std::size_t start = root.size(); start < folder.size();) {
        const std::size_t end = std::min(folder.find(separator, start), folder.size());
        const std::string name = folder.substr(start, end - start);
        chain = childPath(chain, name);
        result.entries.push_back({name, chain, static_cast<int>(result.entries.size())});
        start = end + 1;
    }
    result.opened = result.entries.size() - 1;
    sortNames(m_reader, contents->folders);
    for (const std::string& name : contents->folders) {
        result.entries.push_back({name, childPath(folder, name), static_cast<int>(result.opened) + 1});
    }
    return result;
}

std::vector<std::string> FolderModel::filesNamed(const std::string& folder, const std::string& pattern) const
{
    std::vector<std::string> names;
    const auto contents = m_reader.read(m_reader.normalFolder(folder));
    if (contents) {
        std::copy_if(contents->files.begin(), contents->files.end(), std::back_inserter(names),
                     [&](const std::string& name) { return m_reader.compareNames(name, pattern) == 0; });
        sortNames(m_reader, names);
    }
    return names;
}

std::string FolderModel::childPath(const std::string& folder, const std::string& name) const
{
    const char separator = m_reader.separator();
    return folder.ends_with(separator) ? folder + name : folder + separator + name;
}

} // namespace kumoden
