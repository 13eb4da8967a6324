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

// The installed printers.
class PrinterList {
public:
    PrinterList() = default;
    PrinterList(const PrinterList&) = delete;
    PrinterList& operator=(const PrinterList&) = delete;
    virtual ~PrinterList() = default;

    // Every installed printer once, in the platform's own order; empty when
    // none is installed or the print system cannot be reached.
    virtual std::vector<PrinterEntry> installedPrinters() = 0;
};

} // namespace kumoden
