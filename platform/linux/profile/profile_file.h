#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kumoden::profile {

// A profile file as found on disk.
struct FileContent {
    enum class Status { Read, Missing, Failed };
    Status status = Status::Failed;
    std::string bytes;
    // Of a file that was read: permission bits and owner, kept on rewrite.
    unsigned mode = 0;
    unsigned owner = 0;
    unsigned group = 0;
    // Whether the file may be rewritten: not when read-only, that is
    // without its owner-write bit, whoever the process runs as.
    bool writable = false;
};

// The whole file. Missing when there is no such file; Failed when it
// cannot be read or is not a regular file (a folder, a pipe, a device:
// none of them is opened in a way that could block).
FileContent readFile(const std::string& path);

// The file a path names once symbolic links at its end are followed, so a
// rewrite goes to the link's target instead of replacing the link. The
// target need not exist. Nothing on a link loop.
std::optional<std::string> resolveLinks(const std::string& path);

// Puts `bytes` in place of the file (or makes it) so that a crash leaves
// either the old or the new file, never a part: written to a fresh
// temporary file in the same folder, flushed to disk, renamed over the
// target. `previous`, when the file existed, gives the permission bits and
// owner to keep; a new file's missing folders are made (for the user
// alone). On failure the target is untouched and no temporary file
// stays behind.
bool replaceFile(const std::string& path, std::string_view bytes, const FileContent* previous);

} // namespace kumoden::profile
