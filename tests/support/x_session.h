#pragma once

#include "tests/support/process.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kumoden::test {

using Clock = std::chrono::steady_clock;

// The text without the blanks and line ends at its end.
std::string trimmed(const std::string& text);
long long millis(Clock::duration d);

// Xvfb on a display number of its own, gone with the object; the server
// picks a free number itself and the object is made once it answers.
class XServer {
public:
    XServer();

    const std::string& name() const { return m_name; }

private:
    std::unique_ptr<Process> m_server;
    std::string m_name;
};

extern const std::string kTrayPanelClass;

// One window of `xwininfo -root -tree`, placed on the screen.
struct XWindow {
    std::string id; // 0x...
    std::string name;
    std::string wmClass; // as xwininfo prints it: "instance" "class"
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool inTray = false; // inside the tray host's panel

    bool isOurs() const { return wmClass == R"("kumoden" "kumoden")"; }
};

// One line of the tree, e.g.
//      0x400010 "kumoden": ("kumoden" "kumoden")  22x30+0+0  +1001+1
std::optional<XWindow> parseTreeLine(const std::string& line, std::size_t& indent);
std::vector<XWindow> parseTree(const std::string& text);

} // namespace kumoden::test
