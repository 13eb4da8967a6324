#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kumoden {

// The program as a client of the desktop session's manager (XSMP: XFCE,
// KDE Plasma, GNOME's X11 fallback). Its request to end comes on a thread of
// its own, so that it is heard at once even while a print pass keeps the
// event loop busy.
class SessionClient {
public:
    // SESSION_MANAGER, taken out of the environment so that no other client
    // (Qt's own, a reader) joins in the program's name: call it before Qt
    // starts.
    static std::string takeManagerAddress();
    // Joins the manager at that address; nothing when none is named or it
    // cannot be reached. ended is called once, on the client's thread, when
    // the manager ends the session.
    static std::unique_ptr<SessionClient> join(const std::string& manager, const std::string& program,
                                               std::function<void()> ended);

    SessionClient(const SessionClient&) = delete;
    SessionClient& operator=(const SessionClient&) = delete;
    ~SessionClient();

    struct State;

private:
    explicit SessionClient(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace kumoden
