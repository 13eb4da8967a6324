#pragma once

#include "platform/printers.h"

#include <string>
#include <vector>

namespace kumoden {

// The driver and port handed to the reader along with the printer's name.
struct PrinterPort {
    std::string driverName;
    std::string portName;
};

// Looks deviceName up among the printers, exactly and with letter case
// significant. On a match the driver and port of the first printer of that
// name are copied into port and true is returned; otherwise port keeps what
// it held.
bool LookUpPrinter(const std::vector<PrinterEntry>& printers, const std::string& deviceName,
                   PrinterPort& port);

} // namespace kumoden
