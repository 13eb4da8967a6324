#pragma once

#include "platform/printers.h"

namespace kumoden {

// The local printers and printer connections as the spooler enumerates
// them (level 2): printer name, driver name, port name.
class Win32PrinterList final : public PrinterList {
public:
    PrinterListing installedPrinters() override;
    // GetPrinterW level 2 of the printer, or of GetDefaultPrinterW's for
    // the empty name: paused, in error or offline is stopped; one being
    // deleted takes no jobs.
    PrinterState printerState(const std::string& name) override;
};

} // namespace kumoden
