#include "tests/support/silent_scheduler.h"

#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace kumoden::test {

SilentScheduler::SilentScheduler() : m_socket(m_dir.path() / "silent.sock")
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = m_socket.string();
    if (path.size() >= sizeof address.sun_path) {
        throw std::runtime_error("socket path too long: " + path);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0 ||
        ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 64) != 0) {
        const std::string why = std::strerror(errno);
        if (m_listener >= 0) {
            ::close(m_listener);
        }
        throw std::runtime_error("cannot listen on " + path + ": " + why);
    }
    m_thread = std::thread([this] { listen(); });
}

SilentScheduler::~SilentScheduler()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

void SilentScheduler::listen()
{
    // The listener first, then every connection taken: requests are read and
    // dropped, so no writer ever blocks on a full socket.
    std::vector<pollfd> watched{{m_listener, POLLIN, 0}};
    while (!m_stop) {
        if (::poll(watched.data(), watched.size(), 50) <= 0) {
            continue;
        }
        for (std::size_t i = 1; i < watched.size(); ++i) {
            char buffer[4096];
            if ((watched[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 &&
                ::read(watched[i].fd, buffer, sizeof buffer) <= 0) {
                ::close(watched[i].fd);
                watched[i].fd = -1; // poll skips it from now on
            }
        }
        if ((watched[0].revents & POLLIN) != 0) {
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0) {
                watched.push_back({connection, POLLIN, 0});
                ++m_connections;
            }
        }
    }
    for (std::size_t i = 1; i < watched.size(); ++i) {
        if (watched[i].fd >= 0) {
            ::close(watched[i].fd);
        }
    }
}

} // namespace kumoden::test
