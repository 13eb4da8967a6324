#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <initializer_list>

namespace kumoden {

// Turns SIGTERM and friends into a call on the event loop (a signal handler
// may do next to nothing itself, so it only writes a byte to a socket).
class SignalWatcher {
public:
    SignalWatcher(std::initializer_list<int> signalNumbers, std::function<void(int)> handler);
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;
    ~SignalWatcher();

    // Readable from a signal's arrival until the event loop has handled it;
    // -1 when there is none.
    int descriptor() const;

private:
    std::function<void(int)> m_handler;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace kumoden
