#include "platform/qt/qt_folder_reader.h"
#include "tests/unit/folder_reader_backend.h"

namespace kumoden::test {

std::unique_ptr<FolderReader> MakeFolderReader()
{
    return std::make_unique<QtFolderReader>();
}

} // namespace kumoden::test
