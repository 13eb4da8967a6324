#include "platform/win32/win32_folder_reader.h"
#include "tests/unit/folder_reader_backend.h"

namespace kumoden::test {

std::unique_ptr<FolderReader> MakeFolderReader()
{
    return std::make_unique<Win32FolderReader>();
}

} // namespace kumoden::test
