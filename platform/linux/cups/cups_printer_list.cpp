#include "platform/linux/cups/cups_printer_list.h"

#include "platform/linux/cups/scheduler_connection.h"
#include "platform/linux/posix/descriptor.h"

#include <cups/cups.h>
#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

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

// A listing under way on a thread of its own, which may outlive the wait
// for it: libcups waits a second for each request's go-ahead, a wait that
// neither a bound nor a request to end can cut.
struct Pending {
    Descriptor done{eventfd(0, EFD_CLOEXEC)};
    std::mutex lock;
    std::optional<PrinterListing> listing;
};

// Waits until the listing is there, the time is up or the program is asked
// to end; the listing, or nothing.
std::optional<PrinterListing> awaitListing(Pending& pending, int stopDescriptor)
{
    const auto deadline = std::chrono::steady_clock::now() + kSchedulerTimeout;
    for (;;) {
        const auto left = std::chrono::ceil<milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd entries[2] = {{pending.done.get(), POLLIN, 0}, {stopDescriptor, POLLIN, 0}};
        const int ready = poll(entries, stopDescriptor >= 0 ? 2 : 1,
                               static_cast<int>(std::max(left, milliseconds::zero()).count()));
        const std::lock_guard guard(pending.lock);
        if (pending.listing || ready == 0 || (ready > 0 && entries[1].revents != 0)) {
            return pending.listing;
        }
        if (ready < 0 && errno != EINTR) {
            return std::nullopt;
        }
    }
}

} // namespace

PrinterListing CupsPrinterList::installedPrinters()
{
    const auto pending = std::make_shared<Pending>();
    if (pending->done.get() < 0) {
        return listPrinters(m_stopDescriptor);
    }
    // libcups keeps the server to ask per thread.
    const std::string server = cupsServer();
    const int stop = m_stopDescriptor;
    std::thread([pending, server, stop] {
        cupsSetServer(server.c_str());
        PrinterListing listing = listPrinters(stop);
        const std::lock_guard guard(pending->lock);
        pending->listing = std::move(listing);
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(pending->done.get(), &one, sizeof one);
    }).detach();
    if (auto listing = awaitListing(*pending, m_stopDescriptor)) {
        return std::move(*listing);
    }
    return {{}, PrinterListStatus::noAnswer};
}

} // namespace kumoden
