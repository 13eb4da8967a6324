#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kumoden {

// The reader's print command line:
//   [/t] [/n] [/s] [/h] <file> [<printer> [<driver> [<port>]]]
// Switches come before the file, in any order and either case; the
// printer alone picks the queue, driver and port are taken and unused.
struct PrintArgs {
    std::string file;
    std::string printer; // empty: the default destination
    std::string driver;
    std::string port;
    std::string error; // why the command line is refused; empty when good
};

// The arguments after the program name.
PrintArgs parsePrintArgs(const std::vector<std::string>& args);

// The job title for a file: its base name as valid UTF-8 without control
// characters (the scheduler drops a job name that is not), at most 255
// bytes, cut at a character boundary.
std::string jobTitle(std::string_view file);

// Whether a name can be a CUPS queue at all: 1 to 127 bytes, no blanks,
// control characters or any of / \ ? ' " #. Anything else never reaches
// the scheduler, where it would be read as a different path.
bool isQueueName(std::string_view name);

// Whether the first bytes of a file (1024 are enough) hold a PDF header;
// readers accept one preceded by other bytes within that span.
bool hasPdfHeader(std::string_view head);

} // namespace kumoden
