#pragma once

#include <string>
#include <vector>

namespace kumoden {

// One installed printer: the name it is installed under, its driver and
// its port.
struct PrinterEntry {
    std::string deviceName;
    std::string driverName;
    std::string portName;

    friend bool operator==(const PrinterEntry&, const PrinterEntry&) = default;
};

// How a listing of the installed printers went.
enum class PrinterListStatus {
    listed,      // the list is whole; empty when no printer is installed
    unreachable, // the print system could not be reached or refused to list
    noAnswer,    // it took the request and did not answer in time
};

// The installed printers, and whether the print system gave them.
struct PrinterListing {
    std::vector<PrinterEntry> printers; // empty unless listed
    PrinterListStatus status = PrinterListStatus::listed;
};

// The installed printers.
class PrinterList {
public:
    PrinterList() = default;
    PrinterList(const PrinterList&) = delete;
    PrinterList& operator=(const PrinterList&) = delete;
    virtual ~PrinterList() = default;

    // Every installed printer once, in the platform's own order. Returns
    // within a few seconds even when the print system does not answer.
    virtual PrinterListing installedPrinters() = 0;
};

} // namespace kumoden
