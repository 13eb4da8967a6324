#pragma once

// A desktop session's bus as its tray host sees it, through dbus-send.
#include "tests/support/process.h"

#include <string>
#include <vector>

namespace kumoden::test {

// dbus-send on the session bus the environment names; its reply as printed.
RunResult busCall(const std::vector<std::string>& env, const std::vector<std::string>& arguments);
// A property of the StatusNotifierWatcher as printed; empty when there is no watcher.
std::string watcherProperty(const std::vector<std::string>& env, const std::string& name);
// The tray items the watcher has, as "bus/path".
std::vector<std::string> trayItems(const std::vector<std::string>& env);
// The strings of a reply printed by dbus-send, in order.
std::vector<std::string> PrintedStrings(const std::string& reply);

} // namespace kumoden::test
