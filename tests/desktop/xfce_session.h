#pragma once

// An XFCE 4.18 session of the test's own on its X server: a session bus,
// xfconfd (started by the bus when the panel asks for its settings) and
// xfce4-panel with its default layout, whose systray plugin is a
// StatusNotifierWatcher and host and also docks XEmbed icons. Started as
// a session starts them, the panel before the program.
#include "tests/desktop/session_bus.h"
#include "tests/e2e/tray_fixture.h"

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace kumoden::test {

class XfceSession : public TrayFixture {
protected:
    XfceSession();

    // The program's windows, its XEmbed icon in the panel left out.
    bool ours(const XWindow& window) const override;

    // Waits until the panel's tray has registered as the watcher's host.
    void startPanel();
    // The program on the session's bus.
    void startProgramInSession();
    std::vector<std::string> sessionEnv() const;

    // The item's menu as the host reads it: each entry's label, "-" for a
    // separator.
    std::vector<std::string> hostMenuLayout(const std::string& item);

    // The panel along the top edge.
    std::optional<XWindow> topPanel();
    // The systray plugin's window inside it: the items sit in a row there.
    std::optional<XWindow> trayPlugin();
    // The plugin once it holds the one item and has stopped moving: wider
    // than it was empty.
    XWindow waitForItem(int emptyWidth);
    // The host's menu after a right-click on the item; 0 if none opens.
    std::uint32_t openHostMenu(const XWindow& item);

    // The panel goes before the bus, after the program (TrayFixture's TearDown).
    SessionBus m_bus{dir.path() / "bus", true, sessionEnv()};
    std::unique_ptr<Process> m_panel;
    XWindow m_panelArea{};

private:
    pid_t trayPluginPid();
    pid_t m_trayPid = 0;
};

} // namespace kumoden::test
