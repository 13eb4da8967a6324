#include "printing/printer_lookup.h"

namespace kumoden {

bool LookUpPrinter(const std::vector<PrinterEntry>& printers, const std::string& deviceName,
                   PrinterPort& port)
{
    for (const auto& printer : printers) {
        if (printer.deviceName == deviceName) {
            port.driverName = printer.driverName;
            port.portName = printer.portName;
            return true;
        }
    }
    return false;
}

} // namespace kumoden
