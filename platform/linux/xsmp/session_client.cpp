#include "platform/linux/xsmp/session_client.h"

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <thread>

namespace kumoden {

struct SessionClient::State {
    SmcConn connection = nullptr;
    std::function<void()> ended;
    bool endTold = false;
    std::array<int, 2> wake{-1, -1};
    std::thread listener;
};

namespace {

using State = SessionClient::State;

// Nothing to save: the settings are written when they are applied.
void onSaveYourself(SmcConn connection, SmPointer, int, Bool, int, Bool)
{
    SmcSaveYourselfDone(connection, True);
}

void onDie(SmcConn, SmPointer data)
{
    auto* state = static_cast<State*>(data);
    if (!state->endTold) {
        state->endTold = true;
        state->ended();
    }
}

void onNothing(SmcConn, SmPointer) {}

// What a manager asks of every client. The program is started by the
// session's autostart, never brought back by the manager.
void describe(SmcConn connection, const std::string& program)
{
    const passwd* user = getpwuid(getuid());
    std::string userName = user != nullptr ? user->pw_name : std::to_string(getuid());
    std::string name = program;
    char never = SmRestartNever;
    SmPropValue programValue{static_cast<int>(name.size()), name.data()};
    SmPropValue userValue{static_cast<int>(userName.size()), userName.data()};
    SmPropValue hintValue{1, &never};
    SmProp programProp{const_cast<char*>(SmProgram), const_cast<char*>(SmARRAY8), 1, &programValue};
    SmProp userProp{const_cast<char*>(SmUserID), const_cast<char*>(SmARRAY8), 1, &userValue};
    SmProp restartProp{const_cast<char*>(SmRestartCommand), const_cast<char*>(SmLISTofARRAY8), 1,
                       &programValue};
    SmProp cloneProp{const_cast<char*>(SmCloneCommand), const_cast<char*>(SmLISTofARRAY8), 1, &programValue};
    SmProp hintProp{const_cast<char*>(SmRestartStyleHint), const_cast<char*>(SmCARD8), 1, &hintValue};
    SmProp* props[] = {&programProp, &userProp, &restartProp, &cloneProp, &hintProp};
    SmcSetProperties(connection, static_cast<int>(std::size(props)), props);
}

// Hands the manager's messages to the callbacks until the connection
// breaks or the client goes.
void listen(State& state)
{
    IceConn ice = SmcGetIceConnection(state.connection);
    std::array<pollfd, 2> ends{pollfd{IceConnectionNumber(ice), POLLIN, 0}, pollfd{state.wake[0], POLLIN, 0}};
    for (;;) {
        if (poll(ends.data(), ends.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (ends[1].revents != 0) {
            return;
        }
        if (ends[0].revents != 0 && IceProcessMessages(ice, nullptr, nullptr) != IceProcessMessagesSuccess) {
            // The manager is gone: so is the session, or it was never ours.
            return;
        }
    }
}

} // namespace

std::string SessionClient::takeManagerAddress()
{
    const char* address = std::getenv("SESSION_MANAGER");
    std::string manager = address != nullptr ? address : "";
    unsetenv("SESSION_MANAGER");
    return manager;
}

std::unique_ptr<SessionClient> SessionClient::join(const std::string& manager, const std::string& program,
                                                   std::function<void()> ended)
{
    if (manager.empty()) {
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->ended = std::move(ended);
    SmcCallbacks callbacks{};
    callbacks.save_yourself = {onSaveYourself, state.get()};
    callbacks.die = {onDie, state.get()};
    callbacks.save_complete = {onNothing, state.get()};
    callbacks.shutdown_cancelled = {onNothing, state.get()};
    char* clientId = nullptr;
    char error[256] = "";
    state->connection = SmcOpenConnection(
        const_cast<char*>(manager.c_str()), nullptr, SmProtoMajor, SmProtoMinor,
        SmcSaveYourselfProcMask | SmcDieProcMask | SmcSaveCompleteProcMask | SmcShutdownCancelledProcMask,
        &callbacks, nullptr, &clientId, sizeof error, error);
    std::free(clientId);
    if (state->connection == nullptr) {
        return nullptr;
    }
    fcntl(IceConnectionNumber(SmcGetIceConnection(state->connection)), F_SETFD, FD_CLOEXEC);
    describe(state->connection, program);
    if (pipe2(state->wake.data(), O_CLOEXEC) != 0) {
        SmcCloseConnection(state->connection, 0, nullptr);
        return nullptr;
    }
    State& running = *state;
    running.listener = std::thread([&running] { listen(running); });
    return std::unique_ptr<SessionClient>(new SessionClient(std::move(state)));
}

SessionClient::SessionClient(std::unique_ptr<State> state) : m_state(std::move(state)) {}

SessionClient::~SessionClient()
{
    const char byte = 0;
    [[maybe_unused]] const auto written = write(m_state->wake[1], &byte, 1);
    m_state->listener.join();
    SmcCloseConnection(m_state->connection, 0, nullptr);
    close(m_state->wake[0]);
    close(m_state->wake[1]);
}

} // namespace kumoden
