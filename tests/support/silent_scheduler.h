#pragma once

#include "tests/support/temp_dir.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace kumoden::test {

// A print scheduler that is there and never answers: a local socket in a
// folder of its own that takes every connection and every request and
// sends nothing back. Point CUPS_SERVER (or cupsSetServer) at socket().
class SilentScheduler {
public:
    SilentScheduler();
    SilentScheduler(const SilentScheduler&) = delete;
    SilentScheduler& operator=(const SilentScheduler&) = delete;
    ~SilentScheduler();

    const std::filesystem::path& socket() const { return m_socket; }
    // "CUPS_SERVER=<socket>", for a program's environment.
    std::string environment() const { return "CUPS_SERVER=" + m_socket.string(); }
    // Connections taken so far.
    int connections() const { return m_connections; }

private:
    void listen();

    TempDir m_dir;
    std::filesystem::path m_socket;
    int m_listener = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

} // namespace kumoden::test
