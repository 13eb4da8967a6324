#include "platform/linux/cups/cups_printer_list.h"
#include "tests/contract/printer_list_driver.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/silent_scheduler.h"
#include "tests/support/temp_dir.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

namespace kumoden {

// With an lpoptions instance of PDF (for this listing only), which is no
// queue of its own.
PrinterListing test::ListPrinters()
{
    EXPECT_EQ(test::schedulerProblem(), "");
    // libcups reads HOME once per thread, so the listing runs on a fresh one.
    const test::TempDir home;
    home.write(".cups/lpoptions", "Dest PDF/duplex sides=two-sided-long-edge\n");
    const test::ScopedEnv homeEnv("HOME", home.path().c_str());
    PrinterListing listing;
    std::thread([&] {
        // Make sure libcups does see the instance, or the listing proves nothing.
        cups_dest_t* dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        EXPECT_NE(cupsGetDest("PDF", "duplex", count, dests), nullptr);
        cupsFreeDests(count, dests);
        listing = CupsPrinterList().installedPrinters();
    }).join();
    return listing;
}

PrinterState test::PrinterStateOf(const std::string& name)
{
    return CupsPrinterList().printerState(name);
}

// Both have the cups-pdf PPD.
PrinterEntry test::SchedulerQueue(const std::string& name)
{
    return {name, "Generic CUPS-PDF Printer (w/ options)",
            name == "PDF" ? "cups-pdf:/" : "cups-pdf:/" + name};
}

namespace {

using Device = std::pair<std::string, std::string>;

// The scheduler's queues and their device URIs, from lpstat -v, in its order.
std::vector<Device> lpstatDevices()
{
    std::vector<Device> devices;
    std::istringstream lines(test::runProgram({"lpstat", "-v"}, {"LANG=C", "LC_ALL=C"}).out);
    const std::string lead = "device for ";
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(": ");
        if (line.starts_with(lead) && colon != std::string::npos) {
            devices.emplace_back(line.substr(lead.size(), colon - lead.size()), line.substr(colon + 2));
        }
    }
    return devices;
}

// Printers found on the network besides the scheduler's are not in lpstat;
// the scheduler's come in its order, each once.
TEST(CupsPrinterListTest, TheSchedulersQueuesComeInItsOrderWithTheirDevices)
{
    const auto devices = lpstatDevices();
    std::vector<Device> local;
    for (const PrinterEntry& printer : test::ListPrinters().printers) {
        if (std::ranges::find(devices, printer.deviceName, &Device::first) != devices.end()) {
            local.emplace_back(printer.deviceName, printer.portName);
        }
    }
    EXPECT_EQ(local, devices);
}

// Both ways the scheduler can fail the list, each told apart from a
// scheduler without printers; and the list comes back once it answers.
TEST(CupsPrinterListTest, ASchedulerThatCannotBeReachedOrDoesNotAnswerIsNoList)
{
    ASSERT_EQ(test::schedulerProblem(), "");
    const test::TempDir nowhere;
    const test::SilentScheduler silent;
    const std::vector<std::pair<std::filesystem::path, PrinterListStatus>> cases{
        {nowhere.path() / "no-scheduler.sock", PrinterListStatus::unreachable},
        {silent.socket(), PrinterListStatus::noAnswer},
    };
    CupsPrinterList list;
    for (const auto& [server, status] : cases) {
        SCOPED_TRACE(server);
        cupsSetServer(server.c_str());
        const auto listing = list.installedPrinters();
        cupsSetServer(nullptr);
        EXPECT_EQ(listing.status, status);
        EXPECT_TRUE(listing.printers.empty());

        const auto again = list.installedPrinters();
        EXPECT_EQ(again.status, PrinterListStatus::listed);
        EXPECT_FALSE(again.printers.empty());
    }
    // The silent one was asked, and did not just refuse the connection.
    EXPECT_GT(silent.connections(), 0);
}

// The queues the print system starts stopped and rejecting, with the
// reason it was given; and a scheduler that cannot be reached or is silent.
TEST(CupsPrinterListTest, AStoppedOrRejectingQueueAndAnAbsentOrSilentSchedulerAreTold)
{
    ASSERT_EQ(test::schedulerProblem(), "");
    const PrinterState stopped = test::PrinterStateOf("STOPPED");
    EXPECT_TRUE(stopped.known);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_TRUE(stopped.accepting);
    EXPECT_EQ(stopped.message, "stopped for the tests");
    const PrinterState rejecting = test::PrinterStateOf("REJECT");
    EXPECT_TRUE(rejecting.known);
    EXPECT_FALSE(rejecting.accepting);
    EXPECT_FALSE(rejecting.stopped);

    const test::TempDir nowhere;
    const test::SilentScheduler silent;
    CupsPrinterList list;
    for (const auto& [server, status] : std::vector<std::pair<std::filesystem::path, PrinterListStatus>>{
             {nowhere.path() / "no-scheduler.sock", PrinterListStatus::unreachable},
             {silent.socket(), PrinterListStatus::noAnswer}}) {
        cupsSetServer(server.c_str());
        const PrinterState state = list.printerState("PDF");
        cupsSetServer(nullptr);
        EXPECT_EQ(state.status, status) << server;
        EXPECT_FALSE(state.known) << server;
    }
}

// A scheduler that takes the request and never answers holds a listing for
// 5 s in all, however many requests it makes; a request to end the program
// cuts it within a second.
TEST(CupsPrinterListTest, ASilentSchedulerHoldsTheListingFiveSecondsInAllOrUntilAStopIsAsked)
{
    using namespace std::chrono_literals;
    const test::SilentScheduler silent;
    int stop[2];
    ASSERT_EQ(pipe(stop), 0);
    CupsPrinterList list(stop[0]);
    const auto timed = [&] {
        cupsSetServer(silent.socket().c_str());
        const auto start = std::chrono::steady_clock::now();
        const auto listing = list.installedPrinters();
        const auto took = std::chrono::steady_clock::now() - start;
        cupsSetServer(nullptr);
        EXPECT_EQ(listing.status, PrinterListStatus::noAnswer);
        return took;
    };
    const auto whole = timed();
    EXPECT_GE(whole, 4500ms);
    EXPECT_LE(whole, 5600ms);

    std::thread asker([&] {
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(write(stop[1], "x", 1), 1);
    });
    const auto cut = timed();
    asker.join();
    EXPECT_GE(cut, 300ms);
    EXPECT_LE(cut, 1000ms);
    close(stop[0]);
    close(stop[1]);
}

} // namespace
} // namespace kumoden
