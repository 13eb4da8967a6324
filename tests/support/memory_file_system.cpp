#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <cctype>

namespace kumoden::test {
namespace {

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// "*" for any run, "?" for any one character, letter case ignored.
bool matches(std::string_view pattern, std::string_view name)
{
    if (pattern.empty()) {
        return name.empty();
    }
    if (pattern.front() == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (matches(pattern.substr(1), name.substr(skip))) {
                return true;
            }
        }
        return false;
    }
    return !name.empty() &&
           (pattern.front() == '?' || std::tolower(static_cast<unsigned char>(pattern.front())) ==
                                          std::tolower(static_cast<unsigned char>(name.front()))) &&
           matches(pattern.substr(1), name.substr(1));
}

} // namespace

class MemoryFileSystem::Lock final : public FileHold {
public:
    Lock(std::set<std::string>& locked, std::string path) : m_locked(locked), m_path(std::move(path))
    {
        m_locked.insert(m_path);
    }
    ~Lock() override { m_locked.erase(m_path); }

private:
    std::set<std::string>& m_locked;
    std::string m_path;
};

void MemoryFileSystem::addVolume(const std::string& prefix, std::int64_t room)
{
    m_volumes[prefix] = {m_volumes.size() + 1, room};
}

void MemoryFileSystem::setRoom(const std::string& prefix, std::int64_t room)
{
    m_volumes.at(prefix).second = room;
}

void MemoryFileSystem::addFolder(const std::string& path)
{
    m_folders.insert(path);
}

void MemoryFileSystem::addFile(const std::string& path, const std::string& content, bool readOnly)
{
    m_files[path] = {content, readOnly, m_nextIndex++, ++m_clock};
}

void MemoryFileSystem::setWriter(const std::string& path, bool writing)
{
    writing ? (void)m_writers.insert(path) : (void)m_writers.erase(path);
}

void MemoryFileSystem::failNext(const std::string& operation, const std::string& path, FileStep::Kind kind)
{
    m_failures[{operation, path}] = kind;
}

std::optional<FileStep::Kind> MemoryFileSystem::injected(const std::string& operation,
                                                         const std::string& path)
{
    const auto it = m_failures.find({operation, path});
    if (it == m_failures.end()) {
        return std::nullopt;
    }
    const FileStep::Kind kind = it->second;
    m_failures.erase(it);
    return kind;
}

void MemoryFileSystem::step()
{
    if (++m_steps == m_crashAt) {
        throw Crash();
    }
}

void MemoryFileSystem::crashAt(std::optional<int> crashAt)
{
    m_crashAt = crashAt;
    m_steps = 0;
}

std::optional<std::string> MemoryFileSystem::content(const std::string& path) const
{
    const auto it = m_files.find(path);
    return it == m_files.end() ? std::nullopt : std::optional<std::string>(it->second.content);
}

std::map<std::string, std::string> MemoryFileSystem::allFiles() const
{
    std::map<std::string, std::string> files;
    for (const auto& [path, node] : m_files) {
        files[path] = node.content;
    }
    return files;
}

std::uint64_t MemoryFileSystem::volumeOf(const std::string& path) const
{
    std::uint64_t volume = 0;
    std::size_t longest = 0;
    for (const auto& [prefix, entry] : m_volumes) {
        if (path.starts_with(prefix) && prefix.size() >= longest) {
            volume = entry.first;
            longest = prefix.size();
        }
    }
    return volume;
}

bool MemoryFileSystem::parentExists(const std::string& path) const
{
    return m_folders.contains(folderOf(path));
}

std::vector<std::string> MemoryFileSystem::matching(const std::string& pattern) const
{
    const std::string folder = folderOf(pattern);
    const std::string namePattern = nameOf(pattern);
    std::vector<std::string> names;
    for (const auto& [path, node] : m_files) {
        const std::string name = nameOf(path);
        if (folderOf(path) == folder && name.front() != '.' && matches(namePattern, name)) {
            names.push_back(name);
        }
    }
    return names;
}

std::optional<std::string> MemoryFileSystem::firstFile(const std::string& pattern)
{
    const auto names = matching(pattern);
    return names.empty() ? std::nullopt : std::optional<std::string>(names.front());
}

std::vector<std::string> MemoryFileSystem::listFiles(const std::string& pattern)
{
    return matching(pattern);
}

std::vector<DatedFile> MemoryFileSystem::listDatedFiles(const std::string& pattern)
{
    std::vector<DatedFile> files;
    for (const std::string& name : matching(pattern)) {
        files.push_back({name, LocalTime{}});
    }
    return files;
}

std::optional<DatedFile> MemoryFileSystem::datedFile(const std::string& folder, const std::string& name)
{
    if (name.empty() || name.front() == '.' || !m_files.contains(folder + name)) {
        return std::nullopt;
    }
    return DatedFile{name, LocalTime{}};
}

std::optional<std::int64_t> MemoryFileSystem::fileLength(const std::string& path)
{
    const auto it = m_files.find(path);
    return it == m_files.end() ? std::nullopt : std::optional<std::int64_t>(it->second.content.size());
}

bool MemoryFileSystem::folderExists(const std::string& path)
{
    return m_folders.contains(path.ends_with('/') ? path.substr(0, path.size() - 1) : path);
}

bool MemoryFileSystem::createFolder(const std::string& path)
{
    step();
    if (m_folders.contains(path) || m_files.contains(path) || !parentExists(path)) {
        return false;
    }
    m_folders.insert(path);
    return true;
}

bool MemoryFileSystem::fileExists(const std::string& path)
{
    return m_files.contains(path);
}

bool MemoryFileSystem::deleteFile(const std::string& path, bool force)
{
    step();
    const auto it = m_files.find(path);
    if (it == m_files.end() || (it->second.readOnly && !force) || injected("delete", path)) {
        return false;
    }
    m_files.erase(it);
    return true;
}

std::optional<FileIdentity> MemoryFileSystem::fileIdentity(const std::string& path)
{
    const auto it = m_files.find(path);
    if (it == m_files.end()) {
        return std::nullopt;
    }
    return FileIdentity{volumeOf(path), it->second.index, 0};
}

std::optional<LocalTime> MemoryFileSystem::dateCreated(const std::string& path)
{
    return m_files.contains(path) ? std::optional<LocalTime>(LocalTime{}) : std::nullopt;
}

std::optional<std::string> MemoryFileSystem::readSmallFile(const std::string& path)
{
    return content(path);
}

FileStep MemoryFileSystem::newFileCheck(const std::string& path, std::int64_t size) const
{
    if (m_files.contains(path) || m_folders.contains(path)) {
        return {FileStep::exists, "exists"};
    }
    if (!parentExists(path)) {
        return {FileStep::missing, "no folder"};
    }
    if (nameOf(path).size() > 255) {
        return {FileStep::nameTooLong, "name too long"};
    }
    for (const auto& [prefix, entry] : m_volumes) {
        if (entry.first == volumeOf(path) && entry.second < size) {
            return {FileStep::noRoom, "no room"};
        }
    }
    return {};
}

FileStep MemoryFileSystem::renameNew(const std::string& from, const std::string& to)
{
    step();
    const auto it = m_files.find(from);
    if (it == m_files.end()) {
        return {FileStep::missing, "missing"};
    }
    if (const auto kind = injected("rename", from)) {
        return {*kind, "injected"};
    }
    if (volumeOf(from) != volumeOf(to)) {
        return {FileStep::otherVolume, "other volume"};
    }
    if (FileStep check = newFileCheck(to, 0); !check) {
        return check;
    }
    Node node = it->second;
    m_files.erase(it);
    m_files[to] = node;
    return {};
}

FileStep MemoryFileSystem::copyNew(const std::string& from, const std::string& to)
{
    step();
    const auto it = m_files.find(from);
    if (it == m_files.end()) {
        return {FileStep::missing, "missing"};
    }
    const Node source = it->second;
    if (FileStep check = newFileCheck(to, static_cast<std::int64_t>(source.content.size())); !check) {
        return check;
    }
    if (const auto kind = injected("copy", from)) {
        return {*kind, "injected"};
    }
    // Half written when the process ends in the middle.
    m_files[to] = {source.content.substr(0, source.content.size() / 2), false, m_nextIndex++, ++m_clock};
    step();
    m_files[to].content = source.content;
    m_files[to].written = source.written;
    return {};
}

FileStep MemoryFileSystem::writeNew(const std::string& path, const std::string& content)
{
    step();
    if (FileStep check = newFileCheck(path, static_cast<std::int64_t>(content.size())); !check) {
        return check;
    }
    if (const auto kind = injected("write", path)) {
        return {*kind, "injected"};
    }
    addFile(path, content);
    return {};
}

std::unique_ptr<FileHold> MemoryFileSystem::holdFile(const std::string& path, const FileIdentity& expected,
                                                     FileStep& step)
{
    const auto identity = fileIdentity(path);
    if (!identity) {
        step = {FileStep::missing, "missing"};
    } else if (*identity != expected) {
        step = {FileStep::otherFile, "other file"};
    } else if (m_writers.contains(path)) {
        step = {FileStep::inUse, "open for writing"};
    } else {
        step = {};
        return std::make_unique<FileHold>();
    }
    return nullptr;
}

std::unique_ptr<FileHold> MemoryFileSystem::lockFile(const std::string& path, FileStep& step)
{
    if (!parentExists(path)) {
        step = {FileStep::missing, "no folder"};
        return nullptr;
    }
    if (m_locked.contains(path)) {
        step = {FileStep::inUse, "locked"};
        return nullptr;
    }
    if (!m_files.contains(path)) {
        addFile(path, {});
    }
    step = {};
    return std::make_unique<Lock>(m_locked, path);
}

std::optional<std::int64_t> MemoryFileSystem::freeSpace(const std::string& folder)
{
    const std::uint64_t volume = volumeOf(folder);
    for (const auto& [prefix, entry] : m_volumes) {
        if (entry.first == volume) {
            return entry.second;
        }
    }
    return std::int64_t{1} << 40;
}

std::optional<FileStamp> MemoryFileSystem::fileStamp(const std::string& path)
{
    const auto it = m_files.find(path);
    if (it == m_files.end()) {
        return std::nullopt;
    }
    return FileStamp{static_cast<std::int64_t>(it->second.content.size()), it->second.written, 0};
}

} // namespace kumoden::test
