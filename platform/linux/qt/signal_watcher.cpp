#include "platform/linux/qt/signal_watcher.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kumoden {
namespace {

int g_sockets[2] = {-1, -1};

extern "C" void onSignal(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = write(g_sockets[0], &byte, 1);
}

} // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signalNumbers, std::function<void(int)> handler)
    : m_handler(std::move(handler))
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_sockets) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_sockets[1], QSocketNotifier::Read);
    QObject::connect(m_notifier, &QSocketNotifier::activated, [this] {
        unsigned char byte = 0;
        while (read(g_sockets[1], &byte, 1) == 1) {
            m_handler(byte);
        }
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : signalNumbers) {
        sigaction(signal, &action, nullptr);
    }
}

int SignalWatcher::descriptor() const
{
    return m_notifier != nullptr ? g_sockets[1] : -1;
}

SignalWatcher::~SignalWatcher()
{
    delete m_notifier;
}

} // namespace kumoden
