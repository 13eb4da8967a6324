#include "watch/print_command.h"

namespace kumoden {
namespace {

std::string quoted(const std::string& value)
{
    return '"' + value + '"';
}

} // namespace

std::string PrintCommandLine(const PrintJob& job)
{
    return quoted(job.readerPath) + " /t /n /s /h " + quoted(job.backupFile) + " " + quoted(job.printerName) +
           " " + quoted(job.driverName) + " " + quoted(job.portName);
}

LaunchRequest PrintLaunchRequest(const PrintJob& job)
{
    return LaunchRequest{PrintCommandLine(job),
                         {job.readerPath, "/t", "/n", "/s", "/h", job.backupFile, job.printerName,
                          job.driverName, job.portName}};
}

} // namespace kumoden
