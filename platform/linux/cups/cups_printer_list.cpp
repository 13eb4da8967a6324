#include "platform/linux/cups/cups_printer_list.h"

#include "platform/linux/cups/bounded_call.h"
#include "platform/linux/cups/scheduler_connection.h"

#include <cups/cups.h>

namespace kumoden {

namespace {

using std::chrono::milliseconds;

std::string option(const cups_dest_t& dest, const char* name)
{
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? value : "";
}

// The listing itself, on the calling thread.
PrinterListing listPrinters(int stopDescriptor)
{
    const SchedulerConnection scheduler(
        {std::chrono::duration_cast<milliseconds>(kSchedulerTimeout), stopDescriptor});
    if (scheduler.http() == nullptr) {
        return {{}, PrinterListStatus::unreachable};
    }
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(scheduler.http(), &dests);
    PrinterListing listing;
    const SchedulerAnswer answer = scheduler.lastAnswer();
    if (answer == SchedulerAnswer::noAnswer) {
        listing.status = PrinterListStatus::noAnswer;
    } else if (count <= 0 && answer == SchedulerAnswer::unreachable) {
        listing.status = PrinterListStatus::unreachable;
    }
    for (int i = 0; listing.status == PrinterListStatus::listed && i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        // An instance (lpoptions "queue/name") is the same printer again.
        if (dest.instance != nullptr || dest.name == nullptr) {
            continue;
        }
        listing.printers.push_back(
            {dest.name, option(dest, "printer-make-and-model"), option(dest, "device-uri")});
    }
    cupsFreeDests(count, dests);
    return listing;
}

} // namespace

PrinterListing CupsPrinterList::installedPrinters()
{
    const int stop = m_stopDescriptor;
    if (auto listing = BoundedSchedulerCall<PrinterListing>(stop, [stop] { return listPrinters(stop); })) {
        return std::move(*listing);
    }
    return {{}, PrinterListStatus::noAnswer};
}

} // namespace kumoden
