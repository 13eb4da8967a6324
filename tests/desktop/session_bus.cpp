#include "tests/desktop/session_bus.h"

#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;

const char* const kWatcher = "org.kde.StatusNotifierWatcher/StatusNotifierWatcher";

} // namespace

SessionBus::SessionBus(const std::filesystem::path& socket, bool startsServices,
                       const std::vector<std::string>& environment)
    : m_address("unix:path=" + socket.string())
{
    const std::filesystem::path config = socket.string() + ".conf";
    std::ofstream(config) << R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>)" << m_address << "</listen>\n"
                          << (startsServices ? "  <standard_session_servicedirs/>\n" : "")
                          << R"(  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
)";
    m_daemon = std::make_unique<Process>(std::vector<std::string>{installedProgram("dbus-daemon").string(),
                                                                  "--nofork", "--nopidfile",
                                                                  "--config-file=" + config.string()},
                                         environment);
    if (!eventually(10s, [&] {
            return send("org.freedesktop.DBus/org/freedesktop/DBus", {"org.freedesktop.DBus.GetId"})
                       .exitCode == 0;
        })) {
        throw std::runtime_error("the session bus does not answer");
    }
}

RunResult SessionBus::send(const std::string& object, const std::vector<std::string>& arguments) const
{
    const std::size_t slash = object.find('/');
    std::vector<std::string> argv{"dbus-send", "--session", "--print-reply",
                                  "--dest=" + object.substr(0, slash), object.substr(slash)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, env(), 10s);
}

std::string SessionBus::property(const std::string& object, const std::string& interface,
                                 const std::string& name) const
{
    const RunResult reply =
        send(object, {"org.freedesktop.DBus.Properties.Get", "string:" + interface, "string:" + name});
    return reply.exitCode == 0 ? reply.out : std::string();
}

std::vector<std::string> SessionBus::trayItems() const
{
    return printedStrings(
        property(kWatcher, "org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems"));
}

bool SessionBus::waitForTrayHost(std::chrono::seconds limit) const
{
    return eventually(limit, [&] {
        return property(kWatcher, "org.kde.StatusNotifierWatcher", "IsStatusNotifierHostRegistered")
                   .find("boolean true") != std::string::npos;
    });
}

std::vector<std::string> printedStrings(const std::string& reply)
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
