// What every printer list promises: the queues of the tests' own scheduler
// listed, each once, with its driver and port.
#include "tests/contract/printer_list_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kumoden::test {
namespace {

TEST(PrinterListContract, ListsEachPdfQueueOnceWithItsDriverAndPort)
{
    const PrinterListing listing = ListPrinters();
    EXPECT_EQ(listing.status, PrinterListStatus::listed);
    for (const char* name : {"PDF", "PDF2"}) {
        const PrinterEntry queue = SchedulerQueue(name);
        // The suite starts the scheduler: without it this is a failure, not a skip.
        EXPECT_EQ(std::ranges::count(listing.printers, queue), 1) << name;
        EXPECT_EQ(std::ranges::count(listing.printers, queue.deviceName, &PrinterEntry::deviceName), 1)
            << name;
    }
}

} // namespace
} // namespace kumoden::test
