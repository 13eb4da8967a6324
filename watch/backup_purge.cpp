#include "watch/backup_purge.h"

#include "model/number_text.h"
#include "watch/watch_cycle.h"

namespace kumoden {
namespace {

// A change the notification cannot see (a write through another hard link,
// a clock zone changed under the local times) is put right within this many
// ticks: a walk now and then costs little beside one on every tick.
constexpr int kTicksBetweenChecks = 4096;

bool mayDelete(const Archive* archive, const std::string& name)
{
    return !archive || archive->mayPurge(name);
}

} // namespace

std::optional<int> RetentionDays(const std::string& fileDelDate)
{
    if (const auto days = TextToInteger(fileDelDate)) {
        return *days;
    }
    return std::nullopt;
}

LocalTime BackupDeadline(LocalTime created, int days)
{
    return created + std::chrono::days{days};
}

std::vector<std::string> BackupPurge::run(const std::string& watchedPath, const FileCheckInfo& info,
                                          WatchServices& services, const std::vector<std::string>& touched,
                                          const Archive* archive)
{
    if (!CreateFileSystemObject(services)) {
        forget();
        return {};
    }
    // The retention is the same for every file of one purge; a value that
    // is not a number of days can never make a file due.
    const auto days = info.FileDelDate.empty() ? std::nullopt : RetentionDays(info.FileDelDate);
    if (!days) {
        forget();
        return {};
    }
    FileSystem& files = services.files;
    const std::string folder = watchedPath + std::string(kBackupFolderName) + files.separator();
    if (folder != m_folder || info.FileDelDate != m_retention) {
        forget();
        m_folder = folder;
        m_retention = info.FileDelDate;
    }
    const LocalTime now = services.clock.now();
    if (catchUp(files, touched)) {
        return deleteDue(files, *days, now, false, archive);
    }
    std::vector<DatedFile> listed = walk(files);
    if (m_trusted) {
        return deleteDue(files, *days, now, true, archive);
    }
    // Nothing to keep the record for: each file is judged as listed.
    std::vector<std::string> deleted;
    for (const DatedFile& file : listed) {
        if (file.created && mayDelete(archive, file.name) && BackupDeadline(*file.created, *days) < now &&
            files.deleteFile(m_folder + file.name, false)) {
            deleted.push_back(file.name);
        }
    }
    return deleted;
}

void BackupPurge::forget()
{
    m_folder.clear();
    m_retention.clear();
    m_changes.reset();
    m_trusted = false;
    m_created.clear();
    m_byAge.clear();
    m_undated.clear();
}

bool BackupPurge::catchUp(FileSystem& files, const std::vector<std::string>& touched)
{
    if (!m_changes) {
        return false;
    }
    FolderChangeSet changes = m_changes->take();
    if (changes.lost) {
        m_changes.reset();
        m_trusted = false;
        return false;
    }
    if (!m_trusted || ++m_ticksSinceWalk >= kTicksBetweenChecks) {
        return false;
    }
    for (const std::string& name : changes.names) {
        refresh(files, name);
    }
    for (const std::string& name : touched) {
        refresh(files, name);
    }
    const std::set<std::string> undated = m_undated;
    for (const std::string& name : undated) {
        refresh(files, name);
    }
    return oldestAsRemembered(files);
}

bool BackupPurge::oldestAsRemembered(FileSystem& files) const
{
    // Creation times are local times: a new time zone moves every one of
    // them, and shows in the oldest as in all the others.
    if (m_byAge.empty()) {
        return true;
    }
    const auto& [created, name] = *m_byAge.begin();
    const auto file = files.datedFile(m_folder, name);
    return !file || file->name != name || !file->created || *file->created == created;
}

std::vector<DatedFile> BackupPurge::walk(FileSystem& files)
{
    m_trusted = false;
    m_created.clear();
    m_byAge.clear();
    m_undated.clear();
    ++m_walks;
    // Watched before the walk: what changes during it is told afterwards.
    if (!m_changes && m_watchChanges) {
        m_changes = files.watchFolder(m_folder);
    }
    std::vector<DatedFile> listed = files.listDatedFiles(m_folder + "*.*");
    m_ticksSinceWalk = 0;
    if (!m_changes) {
        return listed;
    }
    for (const DatedFile& file : listed) {
        remember(file.name, file.created);
    }
    m_trusted = true;
    return {};
}

void BackupPurge::refresh(FileSystem& files, const std::string& name)
{
    drop(name);
    if (const auto file = files.datedFile(m_folder, name)) {
        drop(file->name);
        remember(file->name, file->created);
    }
}

void BackupPurge::remember(const std::string& name, std::optional<LocalTime> created)
{
    // A file whose age cannot be told is never due.
    if (!created) {
        m_undated.insert(name);
        return;
    }
    m_created.emplace(name, *created);
    m_byAge.emplace(*created, name);
}

void BackupPurge::drop(const std::string& name)
{
    m_undated.erase(name);
    const auto it = m_created.find(name);
    if (it != m_created.end()) {
        m_byAge.erase({it->second, name});
        m_created.erase(it);
    }
}

std::vector<std::string> BackupPurge::deleteDue(FileSystem& files, int days, LocalTime now, bool walked,
                                                const Archive* archive)
{
    // Deadlines follow creation times in order: the due files come first.
    std::vector<std::string> due;
    for (auto it = m_byAge.begin(); it != m_byAge.end() && BackupDeadline(it->first, days) < now; ++it) {
        due.push_back(it->second);
    }
    std::vector<std::string> deleted;
    for (const std::string& name : due) {
        if (!walked) {
            // The record said due; the file says whether it still is.
            refresh(files, name);
            const auto it = m_created.find(name);
            if (it == m_created.end() || !(BackupDeadline(it->second, days) < now)) {
                continue;
            }
        }
        // A file that stays (read-only, open elsewhere, still being read) is
        // tried again next tick.
        if (mayDelete(archive, name) && files.deleteFile(m_folder + name, false)) {
            drop(name);
            deleted.push_back(name);
        }
    }
    return deleted;
}

std::vector<std::string> DeleteOldBackups(std::string watchedPath, const FileCheckInfo& info,
                                          WatchServices& services)
{
    BackupPurge purge(false);
    return purge.run(watchedPath, info, services);
}

} // namespace kumoden
