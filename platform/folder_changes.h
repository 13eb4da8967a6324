#pragma once

#include <string>
#include <vector>

namespace kumoden {

// What happened in one folder since it was last asked.
struct FolderChangeSet {
    // Changes may have gone untold (too many at once, the folder removed,
    // moved away or replaced, the watch ended): anything may have changed,
    // and the watch is over.
    bool lost = false;
    // The entries that may have changed, each once: created, deleted,
    // renamed to or from, written to, their times or attributes changed.
    std::vector<std::string> names;
};

// Tells of the changes to the entries of one folder, as the platform's
// change notification reports them. Asking never blocks and needs no
// thread: the platform keeps the changes until they are taken.
class FolderChanges {
public:
    FolderChanges() = default;
    FolderChanges(const FolderChanges&) = delete;
    FolderChanges& operator=(const FolderChanges&) = delete;
    virtual ~FolderChanges() = default;

    // The changes since the watch began or since the last call. A change
    // made before this call is among them where the platform reports
    // changes as they happen; elsewhere it may come with a later call.
    virtual FolderChangeSet take() = 0;
};

} // namespace kumoden
