#include "tests/desktop/session_bus.h"

#include <chrono>
#include <sstream>

namespace kumoden::test {

RunResult busCall(const std::vector<std::string>& env, const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{"dbus-send", "--session", "--print-reply"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, env, std::chrono::seconds(10));
}

std::string watcherProperty(const std::vector<std::string>& env, const std::string& name)
{
    const RunResult reply = busCall(env, {"--dest=org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                          "org.freedesktop.DBus.Properties.Get",
                                          "string:org.kde.StatusNotifierWatcher", "string:" + name});
    return reply.exitCode == 0 ? reply.out : std::string();
}

std::vector<std::string> trayItems(const std::vector<std::string>& env)
{
    return PrintedStrings(watcherProperty(env, "RegisteredStatusNotifierItems"));
}

std::vector<std::string> PrintedStrings(const std::string& reply)
{
    std::vector<std::string> found;
    std::istringstream lines(reply);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t open = line.find("string \"");
        const std::size_t close = line.rfind('"');
        if (open != std::string::npos && close > open + 7) {
            found.push_back(line.substr(open + 8, close - open - 8));
        }
    }
    return found;
}

} // namespace kumoden::test
