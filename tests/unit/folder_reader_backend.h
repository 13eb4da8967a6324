#pragma once

#include "platform/folder_reader.h"

#include <memory>

namespace kumoden::test {

// The platform's own folder reader, so that one test source checks each.
std::unique_ptr<FolderReader> MakeFolderReader();

} // namespace kumoden::test
