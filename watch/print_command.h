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

// Whether the reader is SumatraPDF: its program file's name starts with
// "SumatraPDF" and ends in ".exe", in any letter case ("SumatraPDF.exe",
// "SumatraPDF-3.5.2-64.exe"). It prints with switches of its own and tells
// by its exit code whether the file reached the print system.
bool IsSumatraReader(const std::string& readerPath);

// The reader's print command line, values inserted verbatim. For every
// reader but SumatraPDF, Acrobat Reader's:
//   "<reader>" /t /n /s /h "<file>" "<printer>" "<driver>" "<port>"
// for SumatraPDF (an empty printer: the default one):
//   "<reader>" -print-to "<printer>" -silent "<file>"
//   "<reader>" -print-to-default -silent "<file>"
std::string PrintCommandLine(const PrintJob& job);

// The same call as an argument vector, word for word.
LaunchRequest PrintLaunchRequest(const PrintJob& job);

} // namespace kumoden
