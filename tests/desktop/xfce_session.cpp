#include "tests/desktop/xfce_session.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace kumoden::test {
namespace {

bool within(const XWindow& w, const XWindow& area)
{
    return area.width > 0 && w.x >= area.x && w.y >= area.y && w.x + w.width <= area.x + area.width &&
           w.y + w.height <= area.y + area.height;
}

bool isPlugin(const XWindow& w)
{
    return w.instance == "wrapper-2.0";
}

std::string commandLineOf(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline");
    return std::string(std::istreambuf_iterator<char>(file), {});
}

pid_t parentOf(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    char state = 0;
    pid_t ppid = 0;
    rest >> state >> ppid;
    return ppid;
}

} // namespace

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

void XfceSession::TearDown()
{
    // The program, then the panel, then the bus they talk over.
    kumoden.reset();
    m_panel.reset();
    m_bus.reset();
}

bool XfceSession::ours(const XWindow& window) const
{
    return window.isOurs() && !within(window, m_panelArea);
}

std::vector<std::string> XfceSession::sessionEnv() const
{
    const std::filesystem::path home = dir.path() / "home";
    return {
        "DISPLAY=" + m_x.name(),
        "HOME=" + home.string(),
        "XDG_CONFIG_HOME=" + (home / ".config").string(),
        "XDG_CACHE_HOME=" + (home / ".cache").string(),
        "XDG_DATA_HOME=" + (home / ".local/share").string(),
        "XDG_RUNTIME_DIR=" + (dir.path() / "run").string(),
        "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir.path() / "run" / "bus").string(),
        // Nothing of the caller's session: its session manager, its
        // settings daemon, an accessibility bus that would be started.
        "SESSION_MANAGER=",
        "GSETTINGS_BACKEND=memory",
        "NO_AT_BRIDGE=1",
    };
}

void XfceSession::startBus()
{
    const std::filesystem::path run = dir.path() / "run";
    std::filesystem::create_directories(run);
    chmod(run.c_str(), 0700);
    m_bus = std::make_unique<Process>(
        std::vector<std::string>{installedProgram("dbus-daemon").string(), "--session", "--nofork",
                                 "--nopidfile", "--address=unix:path=" + (run / "bus").string()},
        sessionEnv());
    ASSERT_TRUE(eventually(10s, [&] {
        return busCall({"--dest=org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.GetId"})
                   .exitCode == 0;
    })) << "the session bus does not answer";
}

void XfceSession::startPanel()
{
    const std::filesystem::path config = dir.path() / "home/.config/xfce4/xfconf/xfce-perchannel-xml";
    std::filesystem::create_directories(config);
    std::filesystem::copy_file("/etc/xdg/xfce4/panel/default.xml", config / "xfce4-panel.xml",
                               std::filesystem::copy_options::overwrite_existing);
    // No window manager: the panel would wait for one for seconds first.
    m_panel = std::make_unique<Process>(
        std::vector<std::string>{installedProgram("xfce4-panel").string(), "--disable-wm-check"},
        sessionEnv(), Process::Output::Capture);
    ASSERT_TRUE(
        eventually(30s,
                   [&] {
                       return watcherProperty("IsStatusNotifierHostRegistered").find("boolean true") !=
                              std::string::npos;
                   }))
        << "no tray host on the bus\n"
        << m_panel->err();
    ASSERT_TRUE(eventually(10s, [&] { return trayPlugin().has_value(); }))
        << "no systray plugin in the panel";
}

void XfceSession::startProgramInSession()
{
    startProgram({"DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir.path() / "run" / "bus").string(),
                  "XDG_RUNTIME_DIR=" + (dir.path() / "run").string()});
}

RunResult XfceSession::busCall(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{"dbus-send", "--session", "--print-reply"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, sessionEnv(), 10s);
}

std::string XfceSession::watcherProperty(const std::string& name)
{
    const RunResult reply = busCall({"--dest=org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                     "org.freedesktop.DBus.Properties.Get",
                                     "string:org.kde.StatusNotifierWatcher", "string:" + name});
    return reply.exitCode == 0 ? reply.out : std::string();
}

std::vector<std::string> XfceSession::registeredItems()
{
    return PrintedStrings(watcherProperty("RegisteredStatusNotifierItems"));
}

std::vector<std::string> XfceSession::hostMenuLayout(const std::string& item)
{
    const std::size_t slash = item.find('/');
    const std::string service = "--dest=" + item.substr(0, slash);
    const std::string menuReply = busCall({service, item.substr(slash), "org.freedesktop.DBus.Properties.Get",
                                           "string:org.kde.StatusNotifierItem", "string:Menu"})
                                      .out;
    const std::size_t open = menuReply.find("object path \"");
    if (open == std::string::npos) {
        return {};
    }
    const std::string menuPath = menuReply.substr(open + 13, menuReply.find('"', open + 13) - open - 13);
    const std::vector<std::string> printed =
        PrintedStrings(busCall({service, menuPath, "com.canonical.dbusmenu.GetLayout", "int32:0", "int32:-1",
                                "array:string:label,type"})
                           .out);
    std::vector<std::string> entries;
    for (std::size_t i = 0; i + 1 < printed.size(); ++i) {
        if (printed[i] == "label") {
            entries.push_back(printed[i + 1]);
        } else if (printed[i] == "type" && printed[i + 1] == "separator") {
            entries.push_back("-");
        }
    }
    return entries;
}

std::optional<XWindow> XfceSession::topPanel()
{
    return findWindow([](const XWindow& w) {
        return w.viewable && w.instance == "xfce4-panel" && w.x == 0 && w.y == 0 && w.width > w.height;
    });
}

pid_t XfceSession::trayPluginPid()
{
    // The panel runs each plugin in a wrapper process of its own.
    if (m_trayPid != 0 || !m_panel) {
        return m_trayPid;
    }
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const pid_t pid = std::stoi(name);
        if (parentOf(pid) == m_panel->pid() &&
            commandLineOf(pid).find("libsystray.so") != std::string::npos) {
            m_trayPid = pid;
        }
    }
    return m_trayPid;
}

std::optional<XWindow> XfceSession::trayPlugin()
{
    const std::optional<XWindow> bar = topPanel();
    const pid_t tray = trayPluginPid();
    if (!bar || tray == 0) {
        return std::nullopt;
    }
    m_panelArea = *bar;
    for (const XWindow& w : m_display.windows()) {
        if (!w.viewable || !isPlugin(w) || !within(w, *bar)) {
            continue;
        }
        const RunResult pid = x({"xprop", "-id", std::to_string(w.id), "_NET_WM_PID"});
        const std::size_t equals = pid.out.find("= ");
        if (equals != std::string::npos && std::stoi(pid.out.substr(equals + 2)) == tray) {
            return w;
        }
    }
    return std::nullopt;
}

XWindow XfceSession::waitForItem(int emptyWidth)
{
    std::optional<XWindow> settled;
    std::optional<XWindow> before;
    eventually(20s, [&] {
        const std::optional<XWindow> now = trayPlugin();
        if (now && before && now->width > emptyWidth && now->x == before->x && now->width == before->width &&
            registeredItems().size() == 1) {
            settled = now;
        }
        before = now;
        return settled.has_value();
    });
    if (!settled) {
        ADD_FAILURE() << "no item in the panel's tray (" << registeredItems().size() << " registered)";
        return {};
    }
    return *settled;
}

std::vector<std::uint32_t> XfceSession::hostPopups()
{
    std::vector<std::uint32_t> shown;
    for (const XWindow& w : m_display.windows()) {
        if (w.viewable && isPlugin(w) && !within(w, m_panelArea)) {
            shown.push_back(w.id);
        }
    }
    return shown;
}

std::uint32_t XfceSession::openHostMenu(const XWindow& item)
{
    return openMenuAmong(item, [this] { return hostPopups(); });
}

} // namespace kumoden::test
