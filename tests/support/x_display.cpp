#include "tests/support/x_display.h"

#include "tests/support/programs.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

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

struct Free {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

// A property's bytes; empty when the window has none, or is gone.
std::string text(xcb_connection_t* c, xcb_get_property_cookie_t cookie)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 8) {
        return {};
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

} // namespace

XServer::XServer(const std::vector<std::string>& arguments)
{
    // Xvfb takes a free display number itself and writes it to a pipe once
    // it listens: two tests starting at once never share one.
    for (int attempt = 0; attempt < 10; ++attempt) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            throw std::runtime_error("no pipe for the X server");
        }
        fcntl(ends[1], F_SETFD, 0); // the server's end goes with it
        std::vector<std::string> argv{installedProgram("Xvfb").string(), "-displayfd",
                                      std::to_string(ends[1])};
        argv.insert(argv.end(), {"-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        m_server = std::make_unique<Process>(argv);
        close(ends[1]);
        const std::string number = readDisplayNumber(ends[0]);
        close(ends[0]);
        if (!number.empty() && m_server->running()) {
            m_name = ":" + number;
            return;
        }
        m_server.reset();
    }
    throw std::runtime_error("no X server of its own");
}

XDisplay::XDisplay(const std::string& name)
{
    int screen = 0;
    m_connection = xcb_connect(name.c_str(), &screen);
    if (xcb_connection_has_error(m_connection) != 0) {
        xcb_disconnect(m_connection);
        throw std::runtime_error("the X server " + name + " does not let us in");
    }
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (; screen > 0; --screen) {
        xcb_screen_next(&roots);
    }
    m_root = roots.data->root;
    const std::string atom = "_NET_WM_NAME";
    const Reply<xcb_intern_atom_reply_t> interned(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(atom.size()), atom.c_str()),
        nullptr));
    m_netWmName = interned ? interned->atom : 0u;
}

XDisplay::~XDisplay()
{
    xcb_disconnect(m_connection);
}

std::vector<XWindow> XDisplay::windows()
{
    std::vector<XWindow> found;
    collect(m_root, false, found);
    return found;
}

void XDisplay::collect(std::uint32_t parent, bool inTray, std::vector<XWindow>& found)
{
    xcb_connection_t* c = m_connection;
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
    if (!tree) {
        return; // gone meanwhile
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t id = children[i];
        // All questions about the window at once, then the answers.
        const auto geometry = xcb_get_geometry(c, id);
        const auto position = xcb_translate_coordinates(c, id, m_root, 0, 0);
        const auto attributes = xcb_get_window_attributes(c, id);
        const auto netName = xcb_get_property(c, 0, id, m_netWmName, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
        const auto name = xcb_get_property(c, 0, id, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
        const auto classCookie = xcb_get_property(c, 0, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 1024);
        const Reply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(c, geometry, nullptr));
        const Reply<xcb_translate_coordinates_reply_t> at(
            xcb_translate_coordinates_reply(c, position, nullptr));
        const Reply<xcb_get_window_attributes_reply_t> state(
            xcb_get_window_attributes_reply(c, attributes, nullptr));
        const std::string utf8Name = text(c, netName);
        const std::string plainName = text(c, name);
        const std::string classes = text(c, classCookie);
        if (!size || !at || !state) {
            continue; // gone meanwhile
        }
        // "instance\0class\0"
        const std::string instance = classes.c_str();
        const std::string wmClass =
            instance.size() < classes.size() ? classes.c_str() + instance.size() + 1 : "";
        const XWindow& w = found.emplace_back(XWindow{
            .id = id,
            .name = utf8Name.empty() ? plainName : utf8Name,
            .instance = instance,
            .wmClass = wmClass,
            .x = at->dst_x,
            .y = at->dst_y,
            .width = size->width,
            .height = size->height,
            .viewable = state->map_state == XCB_MAP_STATE_VIEWABLE,
            .inTray = inTray,
        });
        collect(id, inTray || w.isTrayPanel(), found);
    }
}

std::uint32_t XDisplay::focus()
{
    xcb_connection_t* c = m_connection;
    const Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    // Up from the focused window (none, the pointer's root or gone: 0) to
    // the one that sits on the root.
    std::uint32_t window = reply && reply->focus != m_root ? reply->focus : 0u;
    while (window > XCB_INPUT_FOCUS_POINTER_ROOT) {
        const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (tree && tree->parent == m_root) {
            return window;
        }
        window = tree ? tree->parent : 0u;
    }
    return 0;
}

} // namespace kumoden::test
