#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace kumoden::posix {

// Renames without ever replacing an existing destination (a hard link and
// an unlink where the file system cannot rename that way). False with errno
// set when nothing moved.
bool MoveNoReplace(const std::string& source, const std::string& destination);

// Copies what the open file in holds into the open file out, synced.
bool CopyInto(int in, int out);

// Copies what the open file in holds into a new file destination with the
// given mode, synced. Leaves no destination behind on failure.
bool CopyIntoNew(int in, const std::string& destination, mode_t mode);

// Writes all of data to the open file out (not synced). False with errno
// set when some could not be written.
bool WriteAll(int out, std::string_view data);

} // namespace kumoden::posix
