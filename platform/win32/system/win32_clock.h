#pragma once

#include "platform/clock.h"
#include "platform/sleeper.h"

namespace kumoden {

// The machine's clock in the local time zone.
class Win32Clock final : public Clock {
public:
    LocalTime now() const override;
};

// Blocks the calling thread; the thread's posted messages wait. Messages
// other threads send (the session's end) are handled during a wait, and a
// WM_CLOSE posted to the thread ends the wait and every later one (it stays
// in the queue for the message loop).
class Win32Sleeper final : public Sleeper {
public:
    void sleep(std::chrono::milliseconds duration) override;
    bool stopRequested() override;
    void requestStop() { m_stopped = true; }
    // Whether a wait is under way: what a window procedure is handed then
    // runs inside the print pass.
    bool waiting() const { return m_waiting; }

private:
    // Handles the messages sent meanwhile and looks for a WM_CLOSE.
    void lookAtMessages();

    bool m_stopped = false;
    bool m_waiting = false;
};

} // namespace kumoden
