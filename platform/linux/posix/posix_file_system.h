#pragma once

#include "platform/file_system.h"

#include <string>

namespace kumoden {

// What the backend may use of the file system. Tests switch off what a
// file system of theirs has, to see the backend do without it.
struct PosixFileOptions {
    // Read leases tell whether another program has a file open for writing.
    bool leases = true;
    // Birth times (statx) date a file's creation.
    bool birthTimes = true;
};

// Files on a POSIX system. Hidden files are those whose name starts with a
// dot; read-only files are those without their owner's write bit.
class PosixFileSystem final : public FileSystem {
public:
    explicit PosixFileSystem(PosixFileOptions options = {}) : m_options(options) {}

    char separator() const override { return '/'; }
    bool createObject() override { return true; }
    std::optional<std::string> firstFile(const std::string& pattern) override;
    std::vector<std::string> listFiles(const std::string& pattern) override;
    std::vector<DatedFile> listDatedFiles(const std::string& pattern) override;
    std::optional<DatedFile> datedFile(const std::string& folder, const std::string& name) override;
    // From inotify, where the folder's file system tells every change.
    std::unique_ptr<FolderChanges> watchFolder(const std::string& folder) override;
    std::optional<std::int64_t> fileLength(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    bool fileReadable(const std::string& path) override;
    // access(2) with the effective ids: root may write anywhere, and runs a
    // file only when some execute bit is set.
    bool canWriteInto(const std::string& folder) override;
    bool canRun(const std::string& path) override;
    bool deleteFile(const std::string& path, bool force) override;
    std::optional<FileIdentity> fileIdentity(const std::string& path) override;
    std::optional<LocalTime> dateCreated(const std::string& path) override;
    FileStep renameNew(const std::string& from, const std::string& to) override;
    // Keeps the rights and the last write; the folder is synced too.
    FileStep copyNew(const std::string& from, const std::string& to) override;
    FileStep writeNew(const std::string& path, const std::string& content) override;
    // The file is held open read-only under a read lease: the kernel
    // refuses the lease while any process has the file open for writing,
    // and a writer that opens it meanwhile waits until the hold ends (or the
    // kernel's lease break time has passed). Where leases cannot be had
    // (network and FUSE file systems, another user's file without
    // CAP_LEASE), the file is held all the same but writers are not kept
    // out: a size that stayed the same over the waits is then the only sign
    // that the writer is done.
    std::unique_ptr<FileHold> holdFile(const std::string& path, const FileIdentity& expected,
                                       FileStep& step) override;
    // flock: ends with the process, and also excludes another lock of this one.
    std::unique_ptr<FileHold> lockFile(const std::string& path, FileStep& step) override;
    std::optional<std::int64_t> freeSpace(const std::string& folder) override;
    std::optional<FileStamp> fileStamp(const std::string& path) override;
    std::optional<std::string> readSmallFile(const std::string& path) override;

private:
    PosixFileOptions m_options;
};

} // namespace kumoden
