#pragma once

#include "platform/launcher.h"

#include <string>

namespace kumoden {

// What the reader is told for one file.
struct PrintJob {
    std::string readerPath; // the reader program
    std::string backupFile; // the moved file, full path
    std::string printerName;
    std::string driverName;
    std::string portName;
};

// The reader's print command line, values inserted verbatim:
// "<reader>" /t /n /s /h "<file>" "<printer>" "<driver>" "<port>"
std::string PrintCommandLine(const PrintJob& job);

// The same call as an argument vector: reader, the four switches, file,
// printer, driver, port.
LaunchRequest PrintLaunchRequest(const PrintJob& job);

} // namespace kumoden
