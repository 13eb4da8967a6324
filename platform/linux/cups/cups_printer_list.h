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
    // The destination found as kumoden-print finds it (the empty name: the
    // default that lpoptions, LPDEST or PRINTER, or the scheduler names),
    // then its IPP printer-state, printer-is-accepting-jobs and
    // printer-state-message; bounded as the listing is.
    PrinterState printerState(const std::string& name) override;

private:
    int m_stopDescriptor;
};

} // namespace kumoden
