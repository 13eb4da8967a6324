#pragma once

#include "model/settings.h"
#include "platform/service_manager.h"

#include <cstdint>
#include <string>

namespace kumoden {

// What the service manager shows of the program (systemctl status): the
// folder it watches, how many files it has handed to the reader, how many
// failures it told and the last of them, e.g.
// 「監視中: /srv/in — 印刷 12、失敗 1 (…)」. Nothing is told before the
// program is ready; after that, every change as it happens.
class ServiceStatus {
public:
    // info: the settings in force, read whenever the line is made.
    ServiceStatus(ServiceManager& manager, const FileCheckInfo& info) : m_manager(manager), m_info(info) {}
    ServiceStatus(const ServiceStatus&) = delete;
    ServiceStatus& operator=(const ServiceStatus&) = delete;

    // The settings are read and the watch timer runs.
    void ready();
    // A file went to the reader.
    void handedToReader();
    // A failure the user was told of.
    void failed(const std::string& text);
    // Tells the line again if it changed (the settings may have).
    void refresh();
    // The program is not stuck: said at each tick and each wait of a pass.
    void alive() { m_manager.alive(); }
    void stopping() { m_manager.stopping(); }

    // The line as it stands.
    std::string text() const;

private:
    ServiceManager& m_manager;
    const FileCheckInfo& m_info;
    std::uint64_t m_handed = 0;
    std::uint64_t m_failed = 0;
    std::string m_lastFailure;
    std::string m_told;
    bool m_ready = false;
};

// A text as one line of at most maxBytes bytes: each run of line ends and
// blanks becomes one blank, and a longer text is cut at a character's
// boundary, ending in "…".
std::string OneLine(const std::string& text, std::size_t maxBytes);

} // namespace kumoden
