#pragma once

#include "platform/clock.h"
#include "platform/folder_changes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kumoden {

// The files the watch works on. Paths are UTF-8 (on Linux: the bytes of the
// name as they are) and use separator() between folder and name.
//
// A pattern is a folder path, the separator, then a name pattern in which
// "*" stands for any run of characters and "?" for any one character;
// letter case is ignored and a trailing ".*" also matches names without an
// extension. Queries return names without folder, and only ordinary files:
// no folders, links, devices, pipes, hidden or system files. The empty
// pattern matches nothing.
// A file found by a query, with the time it was created (nothing when that
// could not be read).
struct DatedFile {
    std::string name;
    std::optional<LocalTime> created;
};

// Which file a path names, the same before and after a move within one
// file system (device and inode; volume serial and file index). A file made
// after another was deleted may get its inode number, never its birth time:
// born is that time in nanoseconds where the file system keeps one, else 0.
// On Windows it stays 0: a reused file record gets a new file index there.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t born = 0;
    bool operator==(const FileIdentity&) const = default;
};

// How one step on a file ended, with the system's words for a failure.
struct FileStep {
    enum Kind {
        done,
        exists,      // the destination is there already
        missing,     // the source (or the destination's folder) is not there
        otherVolume, // source and destination lie on different file systems
        noRoom,      // the disk is full
        nameTooLong, // the name does not fit the file system
        inUse,       // another program has the file open, or holds the lock
        otherFile,   // the name stands for another file than the one expected
        failed,      // anything else (no right, an I/O error)
    };
    Kind kind = done;
    std::string reason;
    explicit operator bool() const { return kind == done; }
};

// What tells one state of a file from another: a file written, truncated or
// given other rights has another stamp.
struct FileStamp {
    std::int64_t length = 0;
    std::int64_t written = 0; // last write, in the file system's own units
    std::int64_t changed = 0; // last change of data or rights (0 where not kept)
    bool operator==(const FileStamp&) const = default;
};

// Held while it lives: a file kept from writers, or a lock.
class FileHold {
public:
    FileHold() = default;
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;
    virtual ~FileHold() = default;
};

// A folder query that failed for another reason than the folder not being
// there (no descriptor left, no right to read it, an I/O error): what the
// folder holds is unknown, which is not the same as empty.
class FolderQueryError : public std::runtime_error {
public:
    FolderQueryError(std::string folder, const std::string& reason)
        : std::runtime_error(reason), m_folder(std::move(folder))
    {
    }
    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
};

class FileSystem {
public:
    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
    virtual ~FileSystem() = default;

    virtual char separator() const = 0;

    // Whether the folder and file facility can be had at all. A backend
    // that always has it returns true.
    virtual bool createObject() = 0;

    // The name of one ordinary file matching the pattern, or nothing. The
    // three queries give nothing for a folder that is not there, and throw
    // FolderQueryError when the folder cannot be read.
    virtual std::optional<std::string> firstFile(const std::string& pattern) = 0;
    // Every ordinary file matching the pattern, in name order.
    virtual std::vector<std::string> listFiles(const std::string& pattern) = 0;
    // The same files with their creation times (as dateCreated gives them),
    // in no particular order; one walk of the folder for all of them.
    virtual std::vector<DatedFile> listDatedFiles(const std::string& pattern) = 0;

    // The file name of folder (a path ending in the separator) as a query
    // of the folder would list it, with its creation time; nothing when no
    // query would list it (missing, hidden, a folder, a link, ...).
    virtual std::optional<DatedFile> datedFile(const std::string& folder, const std::string& name) = 0;
    // Starts telling the changes to the entries of folder (a path ending in
    // the separator). Nothing where not every change would be told: no
    // notification on this platform or this file system (network file
    // systems), no folder, no watch to be had now.
    virtual std::unique_ptr<FolderChanges> watchFolder(const std::string& /*folder*/) { return nullptr; }

    // Length in bytes; nothing when the file is missing or cannot be read.
    virtual std::optional<std::int64_t> fileLength(const std::string& path) = 0;
    virtual bool folderExists(const std::string& path) = 0;
    virtual bool createFolder(const std::string& path) = 0;
    virtual bool fileExists(const std::string& path) = 0;
    // Whether the ordinary file at path (a link followed) can be opened for
    // reading by this process.
    virtual bool fileReadable(const std::string& path) = 0;
    // Without force a read-only file is refused; with force it goes too.
    virtual bool deleteFile(const std::string& path, bool force) = 0;
    // The identity of the ordinary file at path (a link is not followed);
    // nothing for a link, a folder, anything else or nothing at all.
    virtual std::optional<FileIdentity> fileIdentity(const std::string& path) = 0;
    // When the file was created, on the local clock. Where the file system
    // keeps no creation time: the later of its last modification and its
    // last status change (which a move or a copy into the folder sets), so
    // that a file copied in with its old date is not taken for old.
    virtual std::optional<LocalTime> dateCreated(const std::string& path) = 0;

    // The primitives the archive is built from. They decide nothing: each
    // does one step or says why it did not. A name starting with a dot is
    // hidden on every platform (Windows: the attribute is set by
    // createFolder, copyNew, writeNew and lockFile, and follows the new
    // name on renameNew).

    // Renames within one file system; never replaces a destination there
    // (exists). otherVolume when the two lie on different file systems.
    virtual FileStep renameNew(const std::string& from, const std::string& to) = 0;
    // Copies the ordinary file from to the new file to (exists when there
    // is one), with its data and its last write time on disk when this
    // returns done. On failure nothing is left at to.
    virtual FileStep copyNew(const std::string& from, const std::string& to) = 0;
    // Writes a new file (exists when there is one) whole, on disk when this
    // returns done.
    virtual FileStep writeNew(const std::string& path, const std::string& content) = 0;
    // Keeps the ordinary file at path, which must be the file expected (a
    // link is not followed), from writers for as long as the hold lives:
    // inUse where the platform tells that a program has it open for
    // writing; missing, otherFile. The file may be renamed while held.
    virtual std::unique_ptr<FileHold> holdFile(const std::string& path, const FileIdentity& expected,
                                               FileStep& step) = 0;
    // An exclusive lock on the file at path (made when missing), held until
    // the lock is dropped or the process ends: inUse while another holds it.
    virtual std::unique_ptr<FileHold> lockFile(const std::string& path, FileStep& step) = 0;
    // Whether this process may make new entries in the folder (nothing is
    // made to find out); false for a folder that is not there.
    virtual bool canWriteInto(const std::string& folder) = 0;
    // Whether the launcher could start the ordinary file at path as a
    // program: one this user may run (Linux: executable for this user;
    // Windows: an .exe, .com, .bat or .cmd file). Nothing is started.
    virtual bool canRun(const std::string& path) = 0;
    // Bytes free for this user in the folder's file system.
    virtual std::optional<std::int64_t> freeSpace(const std::string& folder) = 0;
    // The stamp of the ordinary file at path (a link followed).
    virtual std::optional<FileStamp> fileStamp(const std::string& path) = 0;
    // The whole content of a small file; nothing when it cannot be read.
    virtual std::optional<std::string> readSmallFile(const std::string& path) = 0;
};

} // namespace kumoden
