#pragma once

#include "platform/printers.h"

namespace kumoden {

// The local printers and printer connections as the spooler enumerates
// them (level 2): printer name, driver name, port name.
class Win32PrinterList final : public PrinterList {
public:
    PrinterListing installedPrinters() override;
};

} // namespace kumoden
