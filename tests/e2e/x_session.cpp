#include "tests/e2e/x_session.h"

#include "tests/integration/cups_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace kumoden::test {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string programPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    throw std::runtime_error(name + " is not installed");
}

std::string trimmed(const std::string& text)
{
    const auto end = text.find_last_not_of(" \n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

long long millis(Clock::duration d)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

XServer::XServer()
{
    const int first = 100 + static_cast<int>(getpid() % 400);
    for (int number = first; number < first + 100; ++number) {
        if (fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
            continue;
        }
        const std::string name = ":" + std::to_string(number);
        m_server = std::make_unique<Process>(std::vector<std::string>{
            programPath("Xvfb"), name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        const auto answers = [&] {
            return runProgram({"xdpyinfo", "-display", name}, {}, std::chrono::seconds(10)).exitCode == 0;
        };
        eventually(15s, [&] { return !m_server->running() || answers(); });
        // Still running once it answers: the number is this server's.
        if (m_server->running() && answers()) {
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
