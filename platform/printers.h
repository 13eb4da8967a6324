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

// What the print system says of one printer.
struct PrinterState {
    // Whether the print system answered; the rest holds only when listed.
    PrinterListStatus status = PrinterListStatus::listed;
    // The printer asked for; for the empty name, the default destination
    // (empty when there is none).
    std::string name;
    bool known = false;     // the print system has a printer of that name
    bool accepting = false; // it takes new jobs
    bool stopped = false;   // it holds its jobs (stopped, paused)
    std::string message;    // what the print system says of its state, if anything
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

    // The state of the printer of that name, matched as the print system
    // matches names (CUPS and Windows ignore letter case), or of the
    // default destination for the empty name.
    // Asks and changes nothing else; bounded in time as the listing is.
    virtual PrinterState printerState(const std::string& name) = 0;
};

} // namespace kumoden
