#include "platform/win32/printing/win32_printer_list.h"

#include "platform/win32/system/wide.h"

#include <windows.h>
#include <winspool.h>

#include <cwchar>
#include <memory>

namespace kumoden {
namespace {

std::string text(const wchar_t* value)
{
    return value != nullptr ? ToUtf8(value) : std::string();
}

// The name of the user's default printer; empty when there is none.
std::wstring defaultPrinter()
{
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) {
        return {};
    }
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) {
        return {};
    }
    name.resize(wcslen(name.c_str()));
    return name;
}

struct PrinterHandle {
    HANDLE handle = nullptr;
    ~PrinterHandle()
    {
        if (handle != nullptr) {
            ClosePrinter(handle);
        }
    }
};

// What the status bits say; the first one that stops the printer.
std::string stateText(DWORD status)
{
    if ((status & PRINTER_STATUS_PAUSED) != 0) {
        return "paused";
    }
    if ((status & PRINTER_STATUS_ERROR) != 0) {
        return "error";
    }
    if ((status & PRINTER_STATUS_OFFLINE) != 0) {
        return "offline";
    }
    if ((status & PRINTER_STATUS_PENDING_DELETION) != 0) {
        return "being deleted";
    }
    return {};
}

} // namespace

PrinterState Win32PrinterList::printerState(const std::string& name)
{
    PrinterState state;
    const std::wstring wide = name.empty() ? defaultPrinter() : ToWide(name);
    state.name = name.empty() ? ToUtf8(wide) : name;
    PrinterHandle printer;
    if (wide.empty() || !OpenPrinterW(const_cast<wchar_t*>(wide.c_str()), &printer.handle, nullptr)) {
        // No such printer is an answer; a spooler that cannot be reached is not.
        const DWORD error = wide.empty() ? ERROR_INVALID_PRINTER_NAME : GetLastError();
        if (error != ERROR_INVALID_PRINTER_NAME && error != ERROR_INVALID_NAME) {
            state.status = PrinterListStatus::unreachable;
        }
        return state;
    }
    DWORD needed = 0;
    GetPrinterW(printer.handle, 2, nullptr, 0, &needed);
    auto buffer = std::make_unique<BYTE[]>(needed > 0 ? needed : 1);
    if (needed == 0 || !GetPrinterW(printer.handle, 2, buffer.get(), needed, &needed)) {
        state.status = PrinterListStatus::unreachable;
        return state;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.get());
    state.known = true;
    // A pending deletion refuses new jobs; the rest holds or fails them.
    state.accepting = (info->Status & PRINTER_STATUS_PENDING_DELETION) == 0;
    state.message = stateText(info->Status);
    state.stopped = !state.message.empty() && state.accepting;
    return state;
}

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
