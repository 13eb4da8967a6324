#include "platform/linux/systemd/systemd_service.h"

#include <systemd/sd-daemon.h>

#include <algorithm>
#include <string>

namespace kumoden {
namespace {

// Each assignment takes one line: a line end in the text would start another.
std::string statusAssignment(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return "STATUS=" + text;
}

void notify(const std::string& message)
{
    sd_notify(0, message.c_str());
}

} // namespace

void SystemdService::ready(const std::string& status)
{
    notify("READY=1\n" + statusAssignment(status));
}

void SystemdService::status(const std::string& text)
{
    notify(statusAssignment(text));
}

void SystemdService::alive()
{
    notify("WATCHDOG=1");
}

void SystemdService::stopping()
{
    notify("STOPPING=1");
}

std::optional<std::chrono::microseconds> SystemdService::watchdogInterval()
{
    std::uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) <= 0 || usec == 0) {
        return std::nullopt;
    }
    return std::chrono::microseconds(usec);
}

} // namespace kumoden
