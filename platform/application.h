#pragma once

#include <string>

namespace kumoden {

// The running program as the platform sees it.
class Application {
public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    virtual ~Application() = default;

    // The folder that holds the running executable, without a trailing
    // separator (except where the folder is the root itself).
    virtual std::string path() const = 0;
    // The executable's file name without its extension.
    virtual std::string exeName() const = 0;
    // Whether another instance of this program (the same executable) runs
    // already. The first call makes this process the running instance for
    // as long as it lives.
    virtual bool prevInstance() = 0;
};

} // namespace kumoden
