#pragma once

#include "platform/folder_changes.h"

#include <memory>
#include <string>

namespace kumoden {

// The changes to one folder's entries, from inotify. Nothing where inotify
// cannot tell them all: the folder missing or not a folder, a network or
// FUSE file system (changes made from other machines are never told), no
// inotify instance or watch to be had.
std::unique_ptr<FolderChanges> WatchFolderWithInotify(const std::string& folder);

} // namespace kumoden
