#pragma once

#include "platform/service_manager.h"

namespace kumoden {

// No manager to tell: the program runs on its own.
class NoServiceManager final : public ServiceManager {
public:
    void ready(const std::string&) override {}
    void status(const std::string&) override {}
    void alive() override {}
    void stopping() override {}
};

} // namespace kumoden
