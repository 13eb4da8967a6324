#include "platform/win32/printing/win32_printer_list.h"

#include "platform/win32/system/wide.h"

#include <windows.h>
#include <winspool.h>

#include <memory>

namespace kumoden {
namespace {

std::string text(const wchar_t* value)
{
    return value != nullptr ? ToUtf8(value) : std::string();
}

} // namespace

PrinterListing Win32PrinterList::installedPrinters()
{
    constexpr DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    DWORD count = 0;
    std::unique_ptr<BYTE[]> buffer;
    DWORD size = 0;
    // A printer added between asking for the size and reading the list
    // makes the buffer too small again; ask once more then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (EnumPrintersW(flags, nullptr, 2, buffer.get(), size, &needed, &count)) {
            break;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= size) {
            return {{}, PrinterListStatus::unreachable};
        }
        size = needed;
        buffer = std::make_unique<BYTE[]>(size);
        count = 0;
    }
    if (count == 0 || !buffer) {
        return {};
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.get());
    PrinterListing listing;
    listing.printers.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        listing.printers.push_back(
            {text(info[i].pPrinterName), text(info[i].pDriverName), text(info[i].pPortName)});
    }
    return listing;
}

} // namespace kumoden
