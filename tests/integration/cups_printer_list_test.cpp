#include "platform/cups/cups_printer_list.h"

#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/silent_scheduler.h"
#include "tests/support/temp_dir.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace kumoden {
namespace {

// The make and model the cups-pdf PPD gives both test queues.
const std::string cupsPdfModel = "Generic CUPS-PDF Printer (w/ options)";

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

class CupsPrinterListTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(test::schedulerProblem(), ""); }
};

// Each queue once, an lpoptions instance of PDF (for this test only) not
// listed again.
TEST_F(CupsPrinterListTest, BothPdfQueuesOnceWithDriverAndPortInTheSchedulersOrder)
{
    // libcups reads HOME once per thread, so the listing runs on a fresh one.
    test::TempDir home;
    home.write(".cups/lpoptions", "Dest PDF/duplex sides=two-sided-long-edge\n");
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", home.path().c_str(), 1);
    bool instanceSeen = false;
    PrinterListing listing;
    std::thread([&] {
        // Make sure libcups does see the instance, or the check proves nothing.
        cups_dest_t* dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        instanceSeen = cupsGetDest("PDF", "duplex", count, dests) != nullptr;
        cupsFreeDests(count, dests);
        listing = CupsPrinterList().installedPrinters();
    }).join();
    setenv("HOME", savedHome.c_str(), 1);
    ASSERT_TRUE(instanceSeen);

    EXPECT_EQ(listing.status, PrinterListStatus::listed);
    // Printers found on the network besides the scheduler's are not in
    // lpstat; the scheduler's come in its order, each once.
    const auto devices = lpstatDevices();
    std::vector<Device> local;
    for (const PrinterEntry& printer : listing.printers) {
        if (std::ranges::find(devices, printer.deviceName, &Device::first) != devices.end()) {
            local.emplace_back(printer.deviceName, printer.portName);
        }
        if (printer.deviceName == "PDF" || printer.deviceName == "PDF2") {
            EXPECT_EQ(printer.driverName, cupsPdfModel) << printer.deviceName;
        }
    }
    EXPECT_EQ(local, devices);
    for (const Device& queue : {Device{"PDF", "cups-pdf:/"}, Device{"PDF2", "cups-pdf:/PDF2"}}) {
        EXPECT_NE(std::ranges::find(devices, queue), devices.end()) << queue.first;
    }
}

// Both ways the scheduler can fail the list, each told apart from a
// scheduler without printers; and the list comes back once it answers.
TEST_F(CupsPrinterListTest, ASchedulerThatCannotBeReachedOrDoesNotAnswerIsNoList)
{
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

} // namespace
} // namespace kumoden
