#include "tests/desktop/sway_session.h"

#include "tests/support/programs.h"

#include <chrono>
#include <pwd.h>
#include <regex>
#include <stdexcept>
#include <unistd.h>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The unprivileged user sway runs as when the tests run as root.
const char* const kSessionUser = "kumoden-desktop";

// waybar with its tray alone, at the top left, nothing around the icons:
// the first icon covers (0,0)-(16,16) of the bar.
const char* const kWaybarConfig = R"({"height": 16, "modules-left": ["tray"], "tray": {"icon-size": 16}})";
const char* const kWaybarStyle = "* { margin: 0; padding: 0; border: none; min-height: 0; }\n";

const passwd* sessionUser()
{
    if (const passwd* user = ::getpwnam(kSessionUser)) {
        return user;
    }
    const RunResult made =
        runProgram({"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", kSessionUser});
    const passwd* user = ::getpwnam(kSessionUser);
    if (user == nullptr) {
        throw std::runtime_error("no user to run sway as: " + made.err);
    }
    return user;
}

// The first file in the folder whose name matches.
std::string findIn(const fs::path& folder, const std::regex& name)
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (std::regex_match(entry.path().filename().string(), name)) {
            return entry.path().string();
        }
    }
    return {};
}

} // namespace

SwaySession::SwaySession() : m_bus(m_dir.path() / "bus", false)
{
    const fs::path sway = installedProgram("sway");
    for (const char* needed : {"waybar", "wl-copy", "grim", "xhost"}) {
        installedProgram(needed);
    }
    const bool root = ::geteuid() == 0;
    const passwd* user = root ? sessionUser() : nullptr;

    // The user's runtime folder is the user's alone, as a login makes it.
    fs::permissions(m_dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    m_run = m_dir.path() / "run";
    m_programRun = m_dir.path() / "program-run";
    for (const fs::path& folder : {m_run, m_programRun}) {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all);
    }
    if (user != nullptr && ::chown(m_run.c_str(), user->pw_uid, user->pw_gid) != 0) {
        throw std::runtime_error("cannot hand the runtime folder to " + std::string(kSessionUser));
    }

    // waybar is the tray host; once XWayland is up this process may use it
    // too, and the session says which display it is.
    const fs::path displayFile = m_run / "display";
    const fs::path waybar = m_dir.write("waybar.json", kWaybarConfig);
    const fs::path style = m_dir.write("waybar.css", kWaybarStyle);
    const fs::path config =
        m_dir.write("sway.conf", "output HEADLESS-1 resolution 1280x800\nxwayland enable\nexec waybar -c " +
                                     waybar.string() + " -s " + style.string() +
                                     "\nexec sh -c 'xhost +si:localuser:root && echo \"$DISPLAY\" > " +
                                     displayFile.string() + ".part && mv " + displayFile.string() + ".part " +
                                     displayFile.string() + "'\n");
    for (const fs::path& file : {waybar, style, config}) {
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                  fs::perms::others_read);
    }
    std::vector<std::string> command{sway.string(), "-c", config.string()};
    if (user != nullptr) {
        command.insert(command.begin(),
                       {installedProgram("setpriv").string(), "--reuid=" + std::to_string(user->pw_uid),
                        "--regid=" + std::to_string(user->pw_gid), "--clear-groups", "--"});
    }
    m_sway = std::make_unique<Process>(command, swayEnv());
    if (!eventually(15s, [&] {
            m_wayland = findIn(m_run, std::regex("wayland-[0-9]+"));
            m_swaySocket = findIn(m_run, std::regex("sway-ipc\\..*\\.sock"));
            return !m_wayland.empty() && !m_swaySocket.empty() && fs::exists(displayFile);
        })) {
        throw std::runtime_error("sway did not come up with XWayland");
    }
    m_display = readFile(displayFile);
    m_display.erase(m_display.find_last_not_of("\n") + 1);
    if (!m_bus.waitForTrayHost(15s)) {
        throw std::runtime_error("waybar's tray did not come up");
    }
}

std::vector<std::string> SwaySession::swayEnv() const
{
    return {m_bus.env().front(),
            "XDG_RUNTIME_DIR=" + m_run.string(),
            "HOME=" + m_dir.path().string(),
            "WLR_BACKENDS=headless",
            "WLR_LIBINPUT_NO_DEVICES=1",
            "WLR_RENDERER=pixman",
            "WAYLAND_DISPLAY=",
            "DISPLAY=",
            "GSETTINGS_BACKEND=memory"};
}

std::vector<std::string> SwaySession::programEnv() const
{
    return {"WAYLAND_DISPLAY=" + m_wayland, "DISPLAY=" + m_display, m_bus.env().front(),
            "XDG_RUNTIME_DIR=" + m_programRun.string(), "SWAYSOCK=" + m_swaySocket};
}

bool SwaySession::activate(const std::string& item) const
{
    return m_bus.send(item, {"org.kde.StatusNotifierItem.Activate", "int32:0", "int32:0"}).exitCode == 0;
}

std::string SwaySession::focusedTitle() const
{
    const std::string tree = runProgram({"swaymsg", "-r", "-t", "get_tree"}, programEnv(), 5s).out;
    // A node's name follows its focus mark, nested rectangles have none.
    std::smatch found;
    if (std::regex_search(
            tree, found,
            std::regex("\"focused\": *true[^{}]*(\\{[^{}]*\\}[^{}]*)*\"name\": *\"([^\"]*)\""))) {
        return found[2];
    }
    return {};
}

void SwaySession::click(int x, int y, int button)
{
    const std::vector<std::string> env = programEnv();
    if (!m_pointer) {
        // The headless seat has no pointer until a device is made for it.
        m_pointer =
            std::make_unique<Process>(std::vector<std::string>{builtProgram("virtual_pointer").string()}, env,
                                      Process::Output::Capture);
        if (!eventually(10s, [&] { return m_pointer->out().find("ready") != std::string::npos; })) {
            throw std::runtime_error("the session got no pointer: " + m_pointer->err());
        }
    }
    // One batch: the move, the press and the release, in that order.
    const std::string seat = "seat - cursor ";
    const std::string name = "button" + std::to_string(button);
    if (runProgram({"swaymsg", seat + "set " + std::to_string(x) + " " + std::to_string(y) + ", " + seat +
                                   "press " + name + ", " + seat + "release " + name},
                   env, 5s)
            .exitCode != 0) {
        throw std::runtime_error("sway did not take the pointer's move or button");
    }
}

void SwaySession::copy(const fs::path& file, const std::string& type)
{
    // In the foreground it serves until the next copy replaces it.
    m_owners.push_back(std::make_unique<Process>(
        std::vector<std::string>{"sh", "-c", "exec wl-copy --foreground --type \"$0\" < \"$1\"", type,
                                 file.string()},
        programEnv()));
}

} // namespace kumoden::test
