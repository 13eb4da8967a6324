#pragma once

// A desktop session's bus of the test's own, and the tray host's view of it
// through dbus-send.
#include "tests/support/process.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kumoden::test {

// dbus-daemon at a socket of the test's own, open to every user (a
// compositor that refuses root runs as another one); gone with the object.
// Throws when it does not answer.
class SessionBus {
public:
    // startsServices: whether it starts the session's services (xfconfd)
    // when they are asked for, as a desktop's bus does; they get the
    // environment given.
    SessionBus(const std::filesystem::path& socket, bool startsServices,
               const std::vector<std::string>& environment = {});

    std::vector<std::string> env() const { return {"DBUS_SESSION_BUS_ADDRESS=" + m_address}; }
    // dbus-send to an object named "bus/path"; its reply as printed.
    RunResult send(const std::string& object, const std::vector<std::string>& arguments) const;
    // A property as printed; empty when there is no such object or property.
    std::string property(const std::string& object, const std::string& interface,
                         const std::string& name) const;
    std::string itemProperty(const std::string& item, const std::string& name) const
    {
        return property(item, "org.kde.StatusNotifierItem", name);
    }
    // The tray items the StatusNotifierWatcher has, as "bus/path".
    std::vector<std::string> trayItems() const;
    // Whether a tray host registers with the watcher within the time.
    bool waitForTrayHost(std::chrono::seconds limit) const;

private:
    std::string m_address;
    std::unique_ptr<Process> m_daemon;
};

// The strings of a reply printed by dbus-send, in order.
std::vector<std::string> printedStrings(const std::string& reply);

} // namespace kumoden::test
