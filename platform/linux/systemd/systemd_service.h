#pragma once

#include "platform/service_manager.h"

#include <chrono>
#include <optional>

namespace kumoden {

// systemd, through the notification socket it names in NOTIFY_SOCKET
// (Type=notify): READY=1, STATUS=, WATCHDOG=1 and STOPPING=1. Without that
// socket every message is dropped at no cost.
class SystemdService final : public ServiceManager {
public:
    void ready(const std::string& status) override;
    void status(const std::string& text) override;
    void alive() override;
    void stopping() override;

    // How often systemd wants to hear that the program is alive
    // (WatchdogSec=, given as WATCHDOG_USEC); nothing when it does not.
    static std::optional<std::chrono::microseconds> watchdogInterval();
};

} // namespace kumoden
