#include "tests/support/x_session.h"

#include "tests/support/process.h"
#include "tests/support/programs.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace kumoden::test {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string trimmed(const std::string& text)
{
    const auto end = text.find_last_not_of(" \n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

long long millis(Clock::duration d)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

namespace {

// The display number a server started with "-displayfd <fd>" writes once it
// listens; empty when it ends first or takes too long.
std::string readDisplayNumber(int fd)
{
    std::string number;
    const auto end = Clock::now() + 15s;
    pollfd ready{fd, POLLIN, 0};
    char c = 0;
    while (Clock::now() < end && poll(&ready, 1, 100) >= 0) {
        if ((ready.revents & (POLLIN | POLLHUP)) == 0) {
            continue;
        }
        if (read(fd, &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    return c == '\n' ? number : std::string();
}

} // namespace

XServer::XServer()
{
    // Xvfb takes a free display number itself and writes it to a pipe: two
    // tests starting at once never share one. A server that ends on its
    // lock all the same (the number's last server still going away) is
    // replaced by another.
    for (int attempt = 0; attempt < 10; ++attempt) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            throw std::runtime_error("no pipe for the X server");
        }
        fcntl(ends[1], F_SETFD, 0); // the server's end goes with it
        m_server = std::make_unique<Process>(std::vector<std::string>{installedProgram("Xvfb").string(), "-displayfd",
                                                                      std::to_string(ends[1]), "-screen", "0",
                                                                      "1024x768x24", "-nolisten", "tcp"});
        close(ends[1]);
        const std::string number = readDisplayNumber(ends[0]);
        close(ends[0]);
        const std::string name = ":" + number;
        const auto answers = [&] {
            return runProgram({"xdpyinfo", "-display", name}, {}, std::chrono::seconds(10)).exitCode == 0;
        };
        if (!number.empty() && eventually(5s, answers) && m_server->running()) {
            m_name = name;
            return;
        }
        m_server.reset();
    }
    throw std::runtime_error("no X server of its own");
}

const std::string kTrayPanelClass = R"("panel" "trayer")";

std::optional<XWindow> parseTreeLine(const std::string& line, std::size_t& indent)
{
    indent = line.find_first_not_of(' ');
    if (indent == std::string::npos || line.compare(indent, 2, "0x") != 0) {
        return std::nullopt;
    }
    XWindow w;
    const std::size_t idEnd = line.find(' ', indent);
    const std::size_t classStart = line.find(": (", idEnd);
    const std::size_t classEnd = line.rfind(')');
    if (idEnd == std::string::npos || classStart == std::string::npos || classEnd < classStart) {
        return std::nullopt;
    }
    w.id = line.substr(indent, idEnd - indent);
    const std::string name = line.substr(idEnd + 1, classStart - idEnd - 1);
    w.name = name.size() >= 2 && name.front() == '"' ? name.substr(1, name.size() - 2) : std::string();
    w.wmClass = line.substr(classStart + 3, classEnd - classStart - 3);
    int relativeX = 0;
    int relativeY = 0;
    if (std::sscanf(line.c_str() + classEnd + 1, " %dx%d+%d+%d +%d+%d", &w.width, &w.height, &relativeX,
                    &relativeY, &w.x, &w.y) != 6) {
        return std::nullopt;
    }
    return w;
}

std::vector<XWindow> parseTree(const std::string& text)
{
    std::vector<XWindow> windows;
    // Indentation and "inside the panel" of the windows above this line.
    std::vector<std::pair<std::size_t, bool>> parents;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t indent = 0;
        std::optional<XWindow> w = parseTreeLine(line, indent);
        if (!w) {
            continue;
        }
        while (!parents.empty() && parents.back().first >= indent) {
            parents.pop_back();
        }
        w->inTray = !parents.empty() && parents.back().second;
        parents.emplace_back(indent, w->inTray || w->wmClass == kTrayPanelClass);
        windows.push_back(*w);
    }
    return windows;
}

} // namespace kumoden::test
