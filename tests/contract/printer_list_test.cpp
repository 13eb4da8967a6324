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

// A queue that takes jobs, the default destination (PDF) for the empty
// name, and a name the print system does not have.
TEST(PrinterListContract, TellsTheStateOfAQueueOfTheDefaultAndOfAnUnknownName)
{
    for (const char* name : {"PDF2", ""}) {
        const PrinterState state = PrinterStateOf(name);
        EXPECT_EQ(state.status, PrinterListStatus::listed) << name;
        EXPECT_EQ(state.name, *name != '\0' ? name : "PDF");
        EXPECT_TRUE(state.known) << name;
        EXPECT_TRUE(state.accepting) << name;
        EXPECT_FALSE(state.stopped) << name;
    }
    const PrinterState unknown = PrinterStateOf("NoSuchQueue");
    EXPECT_EQ(unknown.status, PrinterListStatus::listed);
    EXPECT_FALSE(unknown.known);
}

} // namespace
} // namespace kumoden::test
