#pragma once

#include "platform/timer.h"

#include <windows.h>

namespace kumoden {

// A timer of the creating thread: SetTimer on a message-only window the
// timer owns, so the handler runs from that thread's message loop (and
// from the loop of a message box shown meanwhile). The system raises
// intervals below 10 ms to 10 ms.
class Win32Timer final : public Timer {
public:
    Win32Timer();
    ~Win32Timer() override;

    void setHandler(std::function<void()> handler) override;
    void setInterval(std::int32_t milliseconds) override;
    std::int32_t interval() const override { return m_interval; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::function<void()> m_handler;
    std::int32_t m_interval = 0;
};

} // namespace kumoden
