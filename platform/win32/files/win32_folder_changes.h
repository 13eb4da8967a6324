#pragma once

#include "platform/folder_changes.h"

#include <memory>
#include <string>

namespace kumoden {

// The changes to one folder's entries, from ReadDirectoryChangesW with an
// overlapped read that the kernel completes while the program does other
// work: no thread. Nothing for a folder on a network drive (other machines'
// changes need not be told), a missing folder or one that cannot be opened.
std::unique_ptr<FolderChanges> WatchFolderWin32(const std::string& folder);

} // namespace kumoden
