#pragma once

// A platform's printer list and what it makes of the tests' own scheduler.
#include "platform/printers.h"

#include <string>

namespace kumoden::test {

PrinterListing ListPrinters();
PrinterState PrinterStateOf(const std::string& name);
// The entry the list gives one of the scheduler's queues: its name with
// the backend's driver and port for it.
PrinterEntry SchedulerQueue(const std::string& name);

} // namespace kumoden::test
