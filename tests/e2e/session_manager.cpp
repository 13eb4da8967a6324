// A session manager of the tests' own (XSMP, on a local socket). It prints
// its address, lets clients join, and on SIGUSR1 ends the session as a
// logout does: SaveYourself with shutdown to every client, then Die once
// each has saved. What happens is printed a line at a time: "registered
// <program>", "saved", "died", "closed". SIGTERM ends it.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t g_end = 0;

struct Client {
    SmsConn sms = nullptr;
    IceConn ice = nullptr;
    bool asked = false;
    bool saved = false;
    bool died = false;
};
std::vector<Client*> g_clients;

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

Status onRegister(SmsConn sms, SmPointer, char* previousId)
{
    std::free(previousId);
    char* id = SmsGenerateClientID(sms);
    const Status status = SmsRegisterClientReply(sms, id);
    std::free(id);
    return status;
}

void onSaveDone(SmsConn, SmPointer data, Bool)
{
    static_cast<Client*>(data)->saved = true;
    say("saved");
}

void onProperties(SmsConn, SmPointer, int count, SmProp** props)
{
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(props[i]->name, SmProgram) == 0 && props[i]->num_vals == 1) {
            say("registered " +
                std::string(static_cast<char*>(props[i]->vals[0].value), props[i]->vals[0].length));
        }
    }
    SmFreeProperty(nullptr);
    std::free(props);
}

void onClose(SmsConn sms, SmPointer data, int count, char** reasons)
{
    SmFreeReasons(count, reasons);
    auto* client = static_cast<Client*>(data);
    SmsCleanUp(sms);
    client->sms = nullptr;
    say("closed");
}

Status onNewClient(SmsConn sms, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**)
{
    auto* client = new Client;
    client->sms = sms;
    client->ice = SmsGetIceConnection(sms);
    g_clients.push_back(client);
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    callbacks->register_client = {onRegister, client};
    callbacks->interact_request = {[](SmsConn, SmPointer, int) {}, client};
    callbacks->interact_done = {[](SmsConn, SmPointer, Bool) {}, client};
    callbacks->save_yourself_request = {[](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}, client};
    callbacks->save_yourself_phase2_request = {[](SmsConn, SmPointer) {}, client};
    callbacks->save_yourself_done = {onSaveDone, client};
    callbacks->close_connection = {onClose, client};
    callbacks->set_properties = {onProperties, client};
    callbacks->delete_properties = {[](SmsConn, SmPointer, int, char** names) { std::free(names); }, client};
    callbacks->get_properties = {[](SmsConn sms, SmPointer) { SmsReturnProperties(sms, 0, nullptr); },
                                 client};
    return 1;
}

// Listens on every transport the library offers, and prints the address.
// False, with the error told, when it cannot.
bool listen(int& listenCount, IceListenObj*& listening)
{
    const auto anyHost = [](char*) -> Bool { return True; };
    char error[256] = "";
    if (!SmsInitialize("kumoden-tests", "1", onNewClient, nullptr, anyHost, sizeof error, error)) {
        std::fprintf(stderr, "session_manager: %s\n", error);
        return false;
    }
    if (!IceListenForConnections(&listenCount, &listening, sizeof error, error) || listenCount == 0) {
        std::fprintf(stderr, "session_manager: %s\n", error);
        return false;
    }
    for (int i = 0; i < listenCount; ++i) {
        IceSetHostBasedAuthProc(listening[i], anyHost);
    }
    char* address = IceComposeNetworkIdList(listenCount, listening);
    say(address);
    std::free(address);
    return true;
}

// A connection broken off: its client is cleaned up and told closed.
void closeBroken(IceConn ice)
{
    for (Client* client : g_clients) {
        if (client->ice == ice && client->sms != nullptr) {
            SmsCleanUp(client->sms);
            client->sms = nullptr;
            say("closed");
        }
    }
    IceCloseConnection(ice);
}

// Waits up to 50 ms, then takes the messages of the open connections and
// the connections that came.
void serve(int listenCount, IceListenObj* listening, std::vector<IceConn>& connections)
{
    std::vector<pollfd> watched;
    for (int i = 0; i < listenCount; ++i) {
        watched.push_back({IceGetListenConnectionNumber(listening[i]), POLLIN, 0});
    }
    for (IceConn ice : connections) {
        watched.push_back({IceConnectionNumber(ice), POLLIN, 0});
    }
    poll(watched.data(), watched.size(), 50);
    std::vector<IceConn> open;
    for (std::size_t i = 0; i < connections.size(); ++i) {
        IceConn ice = connections[i];
        if (watched[listenCount + i].revents != 0 &&
            IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError) {
            closeBroken(ice);
            continue;
        }
        if (IceConnectionStatus(ice) == IceConnectAccepted || IceConnectionStatus(ice) == IceConnectPending) {
            open.push_back(ice);
        }
    }
    connections = open;
    for (int i = 0; i < listenCount; ++i) {
        IceAcceptStatus status;
        if (IceConn ice = watched[i].revents != 0 ? IceAcceptConnection(listening[i], &status) : nullptr) {
            connections.push_back(ice);
        }
    }
}

// Once the session is to end: SaveYourself with shutdown to each client,
// then Die once it has saved.
void endSession()
{
    for (Client* client : g_clients) {
        if (g_end == 0 || client->sms == nullptr || client->died) {
            continue;
        }
        if (!client->asked) {
            client->asked = true;
            SmsSaveYourself(client->sms, SmSaveLocal, True, SmInteractStyleNone, False);
        } else if (client->saved) {
            client->died = true;
            SmsDie(client->sms);
            say("died");
        }
    }
}

} // namespace

int main()
{
    std::signal(SIGUSR1, [](int) { g_end = 1; });
    int listenCount = 0;
    IceListenObj* listening = nullptr;
    if (!listen(listenCount, listening)) {
        return 1;
    }
    std::vector<IceConn> connections;
    while (true) {
        serve(listenCount, listening, connections);
        endSession();
    }
}
