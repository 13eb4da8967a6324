#pragma once

#include "platform/printers.h"

namespace kumoden {

// The installed printers as CUPS lists its destinations (the local
// scheduler's queues and, where DNS-SD runs, the printers it discovers),
// in CUPS's order: name, make and model, device URI.
class CupsPrinterList final : public PrinterList {
public:
    PrinterListing installedPrinters() override;
};

} // namespace kumoden
