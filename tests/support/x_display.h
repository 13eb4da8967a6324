#pragma once

#include "tests/support/process.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace kumoden::test {

// Xvfb on a display number of its own, gone with the object; the server
// picks a free number itself and the object is made once it listens.
// arguments: more of the server's options, e.g. {"-auth", <file>}.
class XServer {
public:
    explicit XServer(const std::vector<std::string>& arguments = {});

    const std::string& name() const { return m_name; }

private:
    std::unique_ptr<Process> m_server;
    std::string m_name;
};

// One window as the X server has it.
struct XWindow {
    std::uint32_t id = 0;
    std::string name;     // _NET_WM_NAME, else WM_NAME
    std::string instance; // the two parts of WM_CLASS
    std::string wmClass;
    int x = 0; // the top left corner on the screen
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false; // mapped, and every window it sits in too
    bool inTray = false;   // inside the tray host's panel

    bool isOurs() const { return instance == "kumoden" && wmClass == "kumoden"; }
    bool isTrayPanel() const { return instance == "panel" && wmClass == "trayer"; }
    bool operator==(const XWindow&) const = default;
};

// A connection to an X server for looking at its windows.
class XDisplay {
public:
    // Throws when the server does not let us in.
    explicit XDisplay(const std::string& name);
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;
    ~XDisplay();

    // Every window below the root, each after the one it sits in.
    std::vector<XWindow> windows();
    // The top-level window that has the keyboard's focus; 0 for none.
    std::uint32_t focus();

private:
    void collect(std::uint32_t parent, bool inTray, std::vector<XWindow>& found);

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint32_t m_netWmName = 0;
};

} // namespace kumoden::test
