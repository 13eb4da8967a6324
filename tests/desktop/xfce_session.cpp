#include "tests/desktop/xfce_session.h"

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

} // namespace

XfceSession::XfceSession()
{
    std::filesystem::create_directories(dir.path() / "run");
    chmod((dir.path() / "run").c_str(), 0700);
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
        "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir.path() / "bus").string(),
        // Nothing of the caller's session: its session manager, its
        // settings daemon, an accessibility bus that would be started.
        "SESSION_MANAGER=",
        "GSETTINGS_BACKEND=memory",
        "NO_AT_BRIDGE=1",
    };
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
    ASSERT_TRUE(m_bus.waitForTrayHost(30s)) << "no tray host on the bus\n" << m_panel->err();
    ASSERT_TRUE(eventually(10s, [&] { return trayPlugin().has_value(); }))
        << "no systray plugin in the panel";
}

void XfceSession::startProgramInSession()
{
    startProgram({m_bus.env().front(), "XDG_RUNTIME_DIR=" + (dir.path() / "run").string()});
}

std::vector<std::string> XfceSession::hostMenuLayout(const std::string& item)
{
    const std::string menuReply = m_bus.itemProperty(item, "Menu");
    const std::size_t open = menuReply.find("object path \"");
    if (open == std::string::npos) {
        return {};
    }
    const std::string menu = item.substr(0, item.find('/')) +
                             menuReply.substr(open + 13, menuReply.find('"', open + 13) - open - 13);
    const std::vector<std::string> printed =
        printedStrings(m_bus
                           .send(menu, {"com.canonical.dbusmenu.GetLayout", "int32:0", "int32:-1",
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
    if (m_trayPid == 0 && m_panel) {
        const RunResult found =
            runProgram({"pgrep", "-P", std::to_string(m_panel->pid()), "-f", "libsystray.so"});
        m_trayPid = found.exitCode == 0 ? std::stoi(found.out) : 0;
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
    const std::optional<std::optional<XWindow>> settled = test::settled(
        20s, [&] { return trayPlugin(); },
        [&](const std::optional<XWindow>& now) {
            return now && now->width > emptyWidth && m_bus.trayItems().size() == 1;
        });
    if (!settled) {
        ADD_FAILURE() << "no item in the panel's tray (" << m_bus.trayItems().size() << " registered)";
        return {};
    }
    return **settled;
}

std::uint32_t XfceSession::openHostMenu(const XWindow& item)
{
    // The panel's menus are windows of its plugins shown outside the panel.
    return openMenuAmong(item, [this] {
        std::vector<std::uint32_t> shown;
        for (const XWindow& w : m_display.windows()) {
            if (w.viewable && isPlugin(w) && !within(w, m_panelArea)) {
                shown.push_back(w.id);
            }
        }
        return shown;
    });
}

} // namespace kumoden::test
