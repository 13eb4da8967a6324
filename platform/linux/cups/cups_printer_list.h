#pragma once

#include "platform/printers.h"

namespace kumoden {

// The installed printers as CUPS lists its destinations (the local
// scheduler's queues and, where DNS-SD runs, the printers it discovers),
// in CUPS's order: name, make and model, device URI. A listing takes at
// most kSchedulerTimeout in all, and ends at once when stopDescriptor
// (-1: none) becomes readable: the program is asked to end.
class CupsPrinterList final : public PrinterList {
public:
    explicit CupsPrinterList(int stopDescriptor = -1) : m_stopDescriptor(stopDescriptor) {}

    PrinterListing installedPrinters() override;

private:
    int m_stopDescriptor;
};

} // namespace kumoden
