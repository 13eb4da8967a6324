#pragma once

#include "model/settings.h"
#include "platform/clock.h"
#include "platform/folder_changes.h"
#include "watch/archive.h"
#include "watch/watch_services.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kumoden {

// The retention in whole days, or nothing when FileDelDate is not a whole
// number of days in -32768..32767 (halves go to the even neighbour).
std::optional<int> RetentionDays(const std::string& fileDelDate);

// The moment a backup created at created falls due: the same time of day,
// days calendar days later.
LocalTime BackupDeadline(LocalTime created, int days);

// The purge of the archive folder, tick after tick. It remembers when each
// backup was created and, told by the folder's change notification, looks
// again only at the backups that changed and at those falling due, so an
// idle tick costs the same for ten backups as for a hundred thousand. It
// walks the whole folder, as a purge without memory would, on its first
// tick, whenever no notification can be had, when changes may have gone
// untold, when the folder or the retention changed, when the oldest backup
// (looked at on every tick) is not as remembered, and now and then as a
// check. Either way it deletes the same files at the same ticks: a file is
// deleted only after it was looked at again at that tick.
class BackupPurge {
public:
    // Without watchChanges every tick walks the folder.
    explicit BackupPurge(bool watchChanges = true) : m_watchChanges(watchChanges) {}

    // Deletes the backups whose deadline lies strictly before now. An empty
    // FileDelDate keeps everything; so does one that cannot be read as days.
    // Read-only files, hidden files and sub-folders stay. touched names
    // files this tick put into the folder, which the notification may not
    // have told yet. A backup the archive keeps (one still being read)
    // stays. The names deleted.
    std::vector<std::string> run(const std::string& watchedPath, const FileCheckInfo& info,
                                 WatchServices& services, const std::vector<std::string>& touched = {},
                                 const Archive* archive = nullptr);

    // How many times the whole folder has been walked.
    int walks() const { return m_walks; }

private:
    void forget();
    // Brings the record up to date from the changes told; false when only
    // a walk can.
    bool catchUp(FileSystem& files, const std::vector<std::string>& touched);
    // Whether the oldest backup still has the creation time remembered.
    bool oldestAsRemembered(FileSystem& files) const;
    // Lists the whole folder. The record is made from it where changes are
    // told; elsewhere the listing is handed back to be judged as it stands.
    std::vector<DatedFile> walk(FileSystem& files);
    void refresh(FileSystem& files, const std::string& name);
    void remember(const std::string& name, std::optional<LocalTime> created);
    void drop(const std::string& name);
    std::vector<std::string> deleteDue(FileSystem& files, int days, LocalTime now, bool walked,
                                       const Archive* archive);

    bool m_watchChanges;
    std::string m_folder;
    std::string m_retention;
    std::unique_ptr<FolderChanges> m_changes;
    bool m_trusted = false;
    int m_ticksSinceWalk = 0;
    int m_walks = 0;
    std::unordered_map<std::string, LocalTime> m_created;
    std::set<std::pair<LocalTime, std::string>> m_byAge;
    // Files whose creation time could not be read: looked at on every tick.
    std::set<std::string> m_undated;
};

// One purge with nothing remembered: a walk of the whole folder.
std::vector<std::string> DeleteOldBackups(std::string watchedPath, const FileCheckInfo& info,
                                          WatchServices& services);

} // namespace kumoden
