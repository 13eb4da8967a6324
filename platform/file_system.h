#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <optional>
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
// no folders, links, devices, pipes, hidden or system files.
// A file found by a query, with the time it was created (nothing when that
// could not be read).
struct DatedFile {
    std::string name;
    std::optional<LocalTime> created;
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

    // The name of one ordinary file matching the pattern, or nothing.
    virtual std::optional<std::string> firstFile(const std::string& pattern) = 0;
    // Every ordinary file matching the pattern, in name order. Empty when
    // the folder is missing or cannot be read.
    virtual std::vector<std::string> listFiles(const std::string& pattern) = 0;
    // The same files with their creation times (as dateCreated gives them),
    // in no particular order; one walk of the folder for all of them.
    virtual std::vector<DatedFile> listDatedFiles(const std::string& pattern) = 0;

    // Length in bytes; nothing when the file is missing or cannot be read.
    virtual std::optional<std::int64_t> fileLength(const std::string& path) = 0;
    virtual bool folderExists(const std::string& path) = 0;
    virtual bool createFolder(const std::string& path) = 0;
    virtual bool fileExists(const std::string& path) = 0;
    // Without force a read-only file is refused; with force it goes too.
    virtual bool deleteFile(const std::string& path, bool force) = 0;
    // Never replaces an existing destination; on failure the source stays.
    virtual bool moveFile(const std::string& source, const std::string& destination) = 0;
    // When the file was created (where the file system keeps no creation
    // time: when it was last modified), on the local clock.
    virtual std::optional<LocalTime> dateCreated(const std::string& path) = 0;
};

} // namespace kumoden
