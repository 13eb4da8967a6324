#include "platform/cups/cups_printer_list.h"

#include <cups/cups.h>

namespace kumoden {

namespace {

std::string option(const cups_dest_t& dest, const char* name)
{
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? value : "";
}

} // namespace

std::vector<PrinterEntry> CupsPrinterList::installedPrinters()
{
    cups_dest_t* dests = nullptr;
    // With the scheduler unreachable this returns 0 and no array.
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<PrinterEntry> printers;
    printers.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        // An instance (lpoptions "queue/name") is the same printer again.
        if (dest.instance != nullptr || dest.name == nullptr) {
            continue;
        }
        printers.push_back({dest.name, option(dest, "printer-make-and-model"), option(dest, "device-uri")});
    }
    cupsFreeDests(count, dests);
    return printers;
}

} // namespace kumoden
