#pragma once

#include "tests/desktop/session_bus.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kumoden::test {

// A sway session as a user has one, headless: a session bus of its own,
// sway run as an unprivileged user (it refuses root) with waybar as its
// tray host and XWayland, which this process may use too. Throws when a
// program it needs is not installed or the session does not come up.
class SwaySession {
public:
    SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // What a program of the session gets: the compositor's socket by its
    // absolute path, XWayland, the session bus and a runtime folder of the
    // program's own.
    std::vector<std::string> programEnv() const;
    // The compositor's socket by its absolute path.
    const std::string& waylandSocket() const { return m_wayland; }

    // The tray items the host has, as "bus/path".
    std::vector<std::string> trayItems() const { return m_bus.trayItems(); }
    // Calls Activate on a tray item, as a host does on a left click.
    bool activate(const std::string& item) const;
    // The title of the window that has the focus; empty when none has.
    std::string focusedTitle() const;
    // Where the host draws the first tray icon, on the screen.
    static constexpr int kFirstIconX = 8;
    static constexpr int kFirstIconY = 8;
    // A press and release of a pointer button (1 left, 3 right) at a point
    // of the screen, by the seat's own pointer as a mouse would.
    void click(int x, int y, int button);
    // Sets the clipboard from another client, kept until the next one.
    void copy(const std::filesystem::path& file, const std::string& type);

private:
    std::vector<std::string> swayEnv() const;

    TempDir m_dir;
    std::filesystem::path m_run;
    std::filesystem::path m_programRun;
    std::string m_wayland;
    std::string m_swaySocket;
    std::string m_display;
    // Gone in the reverse order: the clipboard's owners and the pointer,
    // then sway, then the bus.
    SessionBus m_bus;
    std::unique_ptr<Process> m_sway;
    std::unique_ptr<Process> m_pointer;
    std::vector<std::unique_ptr<Process>> m_owners;
};

} // namespace kumoden::test
