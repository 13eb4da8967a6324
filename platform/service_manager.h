#pragma once

#include <string>

namespace kumoden {

// The manager that runs the program as a service, where there is one
// (systemd): it hears when the program is ready, what it is doing, that it
// is still alive and that it is ending. Where none runs it hears nothing.
class ServiceManager {
public:
    ServiceManager() = default;
    ServiceManager(const ServiceManager&) = delete;
    ServiceManager& operator=(const ServiceManager&) = delete;
    virtual ~ServiceManager() = default;

    // The settings are read and the watch runs; status says what it does.
    virtual void ready(const std::string& status) = 0;
    // One line on what the program does and what last happened.
    virtual void status(const std::string& text) = 0;
    // The program is not stuck: a manager that watches it restarts it when
    // this has not come for a while.
    virtual void alive() = 0;
    // The program is ending.
    virtual void stopping() = 0;
};

} // namespace kumoden
