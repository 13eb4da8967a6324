#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kumoden {

// The archive folder BackPdf of a watched folder, and the one promise it
// keeps: every file it is given is complete in exactly one place, the
// watched folder or the archive, whenever the program may end, and a file
// taken in is handed to its reader at most once.
//
// How: every step that a crash may cut short is written down first in a
// record of the archive's hidden work folder (BackPdf/.kumoden), and every
// file on its way stands under a fixed name of the program's own (in the
// work folder, or hidden beside the watched files when it crosses file
// systems) until one rename that never replaces gives it its final name.
// Whoever next holds the archive's lock reads the record and the names
// there, and finishes the step or undoes it. The lock is held for as long
// as a record exists, so two programs on one folder never act on each
// other's files, and whatever the holder of the lock finds was left by a
// program that ended.

// A file that could not be taken, and what has to change before it is tried
// again: the file itself, or (for a full archive) the room there.
struct HeldBack {
    std::optional<FileStamp> stamp;
    std::optional<std::int64_t> room; // the archive's free bytes at the failure; nothing: not about room
};

// What the archive remembers from tick to tick, in its program's memory.
struct ArchiveMemory {
    // Archived paths whose reader the program still follows: such a backup
    // is neither replaced nor purged.
    std::set<std::string> beingRead;
    // Incoming paths that failed for a cause that repeating cannot mend.
    std::map<std::string, HeldBack> heldBack;
};

struct TakeOutcome {
    enum Kind {
        taken,          // in the archive; its launch is due (launchDue)
        inUse,          // another program writes it; it stays
        vanished,       // gone before it could be taken
        otherFile,      // the name now stands for another file or a link; left alone
        waitsForReader, // the backup of that name is still being read; it stays
        noRoom,         // the archive has no room for it; it stays, held back
        failed,         // the move failed (no right, a name the archive cannot take); it stays
        noRecord,       // the record could not be written; it stays
        stuck,          // in the archive's work folder and cannot go on: told
    };
    Kind kind;
    std::string reason; // the system's words, for failures
};

// What the recovery found and did.
struct Recovery {
    // An archived file a program ended before launching; launchDue, then launch.
    std::optional<std::string> due;
    // Files given back to the watched folder (their names there).
    std::vector<std::string> returned;
    // What could not be finished or undone: a path and why. Tried again
    // at the next lock.
    std::vector<std::pair<std::string, std::string>> stuck;
};

class Archive {
public:
    // watchedPath ends in the separator.
    Archive(std::string watchedPath, FileSystem& files, ArchiveMemory& memory);
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    ~Archive();

    // The archive folder, ending in the separator.
    const std::string& folder() const { return m_folder; }

    // Takes the archive's lock. With create, the archive and its work folder
    // are made when missing; without, an archive that has none is left
    // alone (missing). inUse while another program holds the lock.
    FileStep lock(bool create);
    void unlock();

    // Finishes or undoes what an ended program left. Under the lock.
    Recovery recover();

    // Whether the file at watched + name failed before and nothing changed
    // since that could mend it.
    bool heldBack(const std::string& name);

    // Moves the file found at watched + name (which must still be that
    // file) into the archive, replacing an older backup of its name.
    // Under the lock. After taken, launchDue before the launch.
    TakeOutcome take(const std::string& name, const FileIdentity& found, std::int64_t length);

    // The record of a taken file goes just before its launch: a launch
    // happens only once this is done, so that no file is launched twice.
    // Should the program end between the two, the file stays archived,
    // unprinted.
    FileStep launchDue();

    // A reader that did not start: the archived file goes back to the
    // watched folder under its own name, else the first free of
    // "name (2)" ... "name (9)". Its name there; empty, with why, when it
    // cannot go back (it then stays in the archive). Under the lock.
    std::string giveBack(const std::string& name, std::string& why);

    // Whether the backup of this name is kept for a reader still followed:
    // a newcomer of the name waits, and the purge passes it by.
    bool beingRead(const std::string& name) const;
    bool mayPurge(const std::string& name) const { return !beingRead(name); }

private:
    std::string work(std::string_view name) const;
    std::string watched(std::string_view name) const { return m_watched + std::string(name); }
    TakeOutcome takeAcross(const std::string& name, const FileIdentity& found, std::int64_t length);
    // Puts a file taken aside back under a free name; outcome when it went.
    TakeOutcome undoTake(const std::string& from, const std::string& name, TakeOutcome outcome);
    bool finishTake(const std::string& name, Recovery& recovery);
    void recoverTake(const std::string& name, Recovery& recovery);
    bool finishGiveBack(const std::string& name, std::string& returnedAs, std::string& why);
    // Renames from into the watched folder under name, else the first free
    // numbered name; exists when all are taken.
    FileStep putBack(const std::string& from, const std::string& name, std::string& returnedAs);
    bool hasFreeName(const std::string& name);
    void dropRecord(std::string_view record);
    void holdBack(const std::string& name, bool forRoom);

    std::string m_watched;
    std::string m_folder;
    FileSystem& m_files;
    ArchiveMemory& m_memory;
    std::unique_ptr<FileHold> m_lock;
};

// Whether a record's name can stand for a file of the archive: a plain
// visible name, no folder in it.
bool IsPlainFileName(std::string_view name);

// "a.pdf" under its number: "a (2).pdf".
std::string NumberedName(const std::string& name, int number);

// The last number a file given back is tried under.
inline constexpr int kLastFreeNameNumber = 9;

} // namespace kumoden
